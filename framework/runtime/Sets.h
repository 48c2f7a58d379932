#pragma once
// Sets of small enumerations (or of 8-bit characters): a bit set with bit n for value n.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

template <typename E, unsigned N = 32>
class TSet {
    static_assert(N > 0 && N <= 256, "a set holds values 0..255");
    static constexpr unsigned Words = (N + 31) / 32;

public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values)
    {
        for (E v : values) Include(v);
    }

    constexpr TSet& Include(E v)
    {
        const unsigned i = Index(v);
        if (i < N) bits_[i / 32] |= std::uint32_t(1) << (i % 32);
        return *this;
    }
    constexpr TSet& Exclude(E v)
    {
        const unsigned i = Index(v);
        if (i < N) bits_[i / 32] &= ~(std::uint32_t(1) << (i % 32));
        return *this;
    }
    constexpr bool Contains(E v) const
    {
        const unsigned i = Index(v);
        return i < N && (bits_[i / 32] >> (i % 32) & 1) != 0;
    }
    constexpr bool Empty() const
    {
        for (unsigned w = 0; w < Words; ++w)
            if (bits_[w]) return false;
        return true;
    }
    constexpr void Clear()
    {
        for (unsigned w = 0; w < Words; ++w) bits_[w] = 0;
    }

    // The low 32 values as a word (bit n for value n), the form sets are stored in.
    constexpr std::uint32_t ToInt() const { return bits_[0]; }
    static constexpr TSet FromInt(std::uint32_t bits)
    {
        TSet s;
        s.bits_[0] = N >= 32 ? bits : bits & ((std::uint32_t(1) << N) - 1);
        return s;
    }

    constexpr TSet& operator+=(const TSet& o)
    {
        for (unsigned w = 0; w < Words; ++w) bits_[w] |= o.bits_[w];
        return *this;
    }
    constexpr TSet& operator-=(const TSet& o)
    {
        for (unsigned w = 0; w < Words; ++w) bits_[w] &= ~o.bits_[w];
        return *this;
    }
    constexpr TSet& operator*=(const TSet& o)
    {
        for (unsigned w = 0; w < Words; ++w) bits_[w] &= o.bits_[w];
        return *this;
    }
    friend constexpr TSet operator+(TSet a, const TSet& b) { return a += b; }
    friend constexpr TSet operator-(TSet a, const TSet& b) { return a -= b; }
    friend constexpr TSet operator*(TSet a, const TSet& b) { return a *= b; }
    friend constexpr bool operator==(const TSet& a, const TSet& b)
    {
        for (unsigned w = 0; w < Words; ++w)
            if (a.bits_[w] != b.bits_[w]) return false;
        return true;
    }
    // Subset and superset, as the language's set comparisons.
    friend constexpr bool operator<=(const TSet& a, const TSet& b) { return (a - b).Empty(); }
    friend constexpr bool operator>=(const TSet& a, const TSet& b) { return (b - a).Empty(); }

private:
    static constexpr unsigned Index(E v)
    {
        if constexpr (std::is_enum_v<E>)
            return unsigned(std::make_unsigned_t<std::underlying_type_t<E>>(v));
        else
            return unsigned(std::make_unsigned_t<E>(v));
    }

    std::uint32_t bits_[Words] = {};
};
