#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"

namespace {

enum TWidgetStyle { wsFlat, wsRaised, wsSunken };
enum TWidgetOption { woAutoSize, woBorder, woShadow };
// A set type as the framework's sets are: bit n for element n, converted with ToInt/FromInt.
struct TWidgetOptions {
    TWidgetOptions() = default;
    TWidgetOptions(std::initializer_list<TWidgetOption> items)
    {
        for (TWidgetOption i : items) bits |= 1u << i;
    }
    std::uint32_t ToInt() const { return bits; }
    static TWidgetOptions FromInt(std::uint32_t b)
    {
        TWidgetOptions o;
        o.bits = b;
        return o;
    }
    friend bool operator==(TWidgetOptions a, TWidgetOptions b) { return a.bits == b.bits; }
    std::uint32_t bits = 0;
};

std::vector<std::string> events;  // what the test classes saw, in order

class TWidgetFont : public TPersistent {
public:
    int Size() const { return size_; }
    void SetSize(int v) { size_ = v; }
    AnsiString Name() const { return name_; }
    void SetName(const AnsiString& v) { name_ = v; }
    std::vector<int> Points;

    void DefineProperties(TFiler* filer) override
    {
        TPersistent::DefineProperties(filer);
        filer->DefineProperty("PointList", TReaderProc(this, &TWidgetFont::ReadPoints),
                              TWriterProc(this, &TWidgetFont::WritePoints), !Points.empty());
    }

private:
    void ReadPoints(TReader* reader)
    {
        reader->ReadListBegin();
        while (!reader->EndOfList()) Points.push_back(reader->ReadInteger());
        reader->ReadListEnd();
    }
    void WritePoints(TWriter* writer)
    {
        writer->WriteListBegin();
        for (int p : Points) writer->WriteInteger(p);
        writer->WriteListEnd();
    }
    int size_ = 8;
    AnsiString name_;
};

class TWidget : public TComponent {
public:
    explicit TWidget(TComponent* owner) : TComponent(owner) {}

    int Width() const { return width_; }
    void SetWidth(int v) { width_ = v; }
    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& v) { caption_ = v; }
    TWidgetStyle Style() const { return style_; }
    void SetStyle(TWidgetStyle v) { style_ = v; }
    TWidgetOptions Options() const { return options_; }
    void SetOptions(TWidgetOptions v) { options_ = v; }
    double Ratio() const { return ratio_; }
    void SetRatio(double v) { ratio_ = v; }
    long double Precise() const { return precise_; }
    void SetPrecise(long double v) { precise_ = v; }
    char Mark() const { return mark_; }
    void SetMark(char v) { mark_ = v; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    int Secret() const { return secret_; }
    void SetSecret(int v) { secret_ = v; }
    TWidgetFont* Font() const { return font_.get(); }
    TWidget* Buddy() const { return buddy_; }
    void SetBuddy(TWidget* v) { buddy_ = v; }
    TNotifyEvent OnPing() const { return onPing_; }
    void SetOnPing(TNotifyEvent e) { onPing_ = e; }
    // The size of Blob, applied before the block itself is read.
    int BlobSize() const { return int(blob_.size()); }
    void SetBlobSize(int n)
    {
        events.push_back("BlobSize " + std::to_string(n));
        blob_.assign(std::size_t(n), '\0');
    }
    const std::string& Blob() const { return blob_; }
    void SetBlob(const std::string& b) { blob_ = b; }

    void DefineProperties(TFiler* filer) override
    {
        TComponent::DefineProperties(filer);
        filer->DefineBinaryProperty("Blob", TStreamProc(this, &TWidget::ReadBlob), TStreamProc(this, &TWidget::WriteBlob),
                                    !blob_.empty());
    }
    void Loaded() override
    {
        TComponent::Loaded();
        events.push_back("Loaded " + std::string(Name().c_str()));
    }
    // Like a container: its own components are stored as its children and read back owned by it.
    void GetChildren(TGetChildProc proc, TComponent*) override
    {
        for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
    }
    TComponent* GetChildOwner() override { return this; }

private:
    void ReadBlob(TStream* s)
    {
        events.push_back("Blob " + std::to_string(s->Size()));
        if (int(blob_.size()) != s->Size()) throw EReadError("size not applied first");
        s->ReadBuffer(blob_.data(), s->Size());
    }
    void WriteBlob(TStream* s) { s->WriteBuffer(blob_.data(), int(blob_.size())); }

    int width_ = 10;
    AnsiString caption_;
    TWidgetStyle style_ = wsFlat;
    TWidgetOptions options_{woBorder};
    double ratio_ = 0;
    long double precise_ = 0;
    char mark_ = '*';
    bool enabled_ = true;
    int secret_ = 0;
    std::unique_ptr<TWidgetFont> font_ = std::make_unique<TWidgetFont>();
    TWidget* buddy_ = nullptr;
    TNotifyEvent onPing_;
    std::string blob_;
};

// A widget with one more property, to make streams that a plain widget cannot read.
class TWidgetPlus : public TWidget {
public:
    explicit TWidgetPlus(TComponent* owner) : TWidget(owner) {}
    int Extra() const { return extra_; }
    void SetExtra(int v) { extra_ = v; }

private:
    int extra_ = 0;
};

// Registers nothing of its own: inherits the widget's table.
class TPlainWidget : public TWidget {
public:
    explicit TPlainWidget(TComponent* owner) : TWidget(owner) {}
};

class TPanel : public TComponent {
public:
    explicit TPanel(TComponent* owner) : TComponent(owner) {}
    int pings = 0;
    void HandlePing(TObject*) { ++pings; }
    void OtherPing(TObject*) { pings += 100; }
    void Loaded() override
    {
        TComponent::Loaded();
        events.push_back("Loaded " + std::string(Name().c_str()));
    }
};

void RegisterOnce()
{
    static const bool done = [] {
        PublishedProperties<TWidget>()
            .Integer("Width", &TWidget::Width, &TWidget::SetWidth, 10)
            .String("Caption", &TWidget::Caption, &TWidget::SetCaption)
            .Enumeration("Style", &TWidget::Style, &TWidget::SetStyle, {"wsFlat", "wsRaised", "wsSunken"}, wsFlat)
            .Set("Options", &TWidget::Options, &TWidget::SetOptions, {"woAutoSize", "woBorder", "woShadow"},
                 TWidgetOptions{woBorder})
            .Float("Ratio", &TWidget::Ratio, &TWidget::SetRatio)
            .Float("Precise", &TWidget::Precise, &TWidget::SetPrecise)
            .Char("Mark", &TWidget::Mark, &TWidget::SetMark, '*')
            .Boolean("Enabled", &TWidget::Enabled, &TWidget::SetEnabled, true)
            .Integer("Secret", &TWidget::Secret, &TWidget::SetSecret, 0)
            .Stored(false)
            .Object("Font", &TWidget::Font, nullptr)
            .Object("Buddy", &TWidget::Buddy, &TWidget::SetBuddy)
            .Event("OnPing", &TWidget::OnPing, &TWidget::SetOnPing)
            .Integer("BlobSize", &TWidget::BlobSize, &TWidget::SetBlobSize, 0);
        PublishedProperties<TWidgetFont>()
            .Integer("Size", &TWidgetFont::Size, &TWidgetFont::SetSize, 8)
            .String("Name", &TWidgetFont::Name, &TWidgetFont::SetName);
        PublishedProperties<TWidgetPlus>().Integer("Extra", &TWidgetPlus::Extra, &TWidgetPlus::SetExtra, 0);
        PublishedProperties<TPanel>().Method("HandlePing", &TPanel::HandlePing).Method("OtherPing", &TPanel::OtherPing);
        RegisterClasses({ClassOf<TWidget>(), ClassOf<TWidgetPlus>(), ClassOf<TPlainWidget>(), ClassOf<TPanel>()});
        return true;
    }();
    (void)done;
}

class Filer : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterOnce();
        events.clear();
    }

    static std::string Bytes(const TMemoryStream& s)
    {
        return std::string(static_cast<const char*>(s.Memory()), std::size_t(s.Size()));
    }
    static bool Has(const std::string& bytes, const std::string& what) { return bytes.find(what) != std::string::npos; }
};

}  // namespace

TEST_F(Filer, PropertyTableInheritsInDeclarationOrder)
{
    TWidgetPlus plus(nullptr);
    TPropList list = GetPropList(&plus);
    std::vector<std::string> names;
    for (const TPropInfo* p : list) names.push_back(p->Name.c_str());
    std::vector<std::string> expected{"Width", "Caption", "Style", "Options", "Ratio", "Precise", "Mark",
                                      "Enabled", "Secret", "Font", "Buddy", "OnPing", "BlobSize", "Extra"};
    EXPECT_EQ(names, expected);

    TPlainWidget plain(nullptr);  // no table of its own
    EXPECT_EQ(GetPropList(&plain).size(), expected.size() - 1);
    const TPropInfo* style = GetPropInfo(&plain, "style");  // names are identifiers: case does not matter
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->Kind, tkEnumeration);
    plain.SetStyle(wsSunken);
    EXPECT_EQ(style->GetOrd(&plain), 2);
    style->SetOrd(&plain, 1);
    EXPECT_EQ(plain.Style(), wsRaised);
    EXPECT_EQ(GetPropInfo(&plain, "Extra"), nullptr);

    const TPropInfo* options = GetPropInfo(&plain, "Options");
    plain.SetOptions({woAutoSize, woShadow});
    EXPECT_EQ(options->GetOrd(&plain), 5);
    EXPECT_TRUE(GetPropInfo(&plain, "Width")->IsDefaultValue(&plain));
    EXPECT_FALSE(GetPropInfo(&plain, "Secret")->IsStored(&plain));
}

TEST_F(Filer, ComponentTreeRoundTrip)
{
    TMemoryStream stream;
    {
        TPanel panel(nullptr);
        panel.SetName("Panel");
        auto* a = new TWidget(&panel);
        a->SetName("A");
        a->SetWidth(-7);
        a->SetCaption(AnsiString(std::string("tab\there, nul\0inside", 20)));
        a->SetStyle(wsSunken);
        a->SetOptions({woAutoSize, woShadow});
        a->SetRatio(0.1);
        a->SetPrecise(1.0L / 3.0L);
        a->SetMark('#');
        a->SetEnabled(false);
        a->Font()->SetSize(12);
        a->Font()->SetName("Arial");
        a->Font()->Points = {1, -2, 3};
        a->SetOnPing(TNotifyEvent(&panel, &TPanel::HandlePing));
        auto* b = new TWidgetPlus(&panel);
        b->SetName("B");
        b->SetExtra(99);
        a->SetBuddy(b);  // a reference to a component read after a
        b->SetBuddy(b);
        auto* inner = new TWidget(a);  // a child of a child
        inner->SetName("Inner");
        inner->SetWidth(1);
        stream.WriteComponent(&panel);
    }

    stream.SetPosition(0);
    events.clear();
    std::unique_ptr<TComponent> read(stream.ReadComponent(nullptr));
    auto* panel = dynamic_cast<TPanel*>(read.get());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Name(), "Panel");
    ASSERT_EQ(panel->ComponentCount(), 2);
    auto* a = dynamic_cast<TWidget*>(panel->FindComponent("A"));
    auto* b = dynamic_cast<TWidgetPlus*>(panel->FindComponent("B"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->Width(), -7);
    EXPECT_EQ(a->Caption(), AnsiString(std::string("tab\there, nul\0inside", 20)));
    EXPECT_EQ(a->Style(), wsSunken);
    EXPECT_EQ(a->Options(), (TWidgetOptions{woAutoSize, woShadow}));
    EXPECT_EQ(a->Ratio(), 0.1);
    EXPECT_EQ(a->Precise(), 1.0L / 3.0L);  // all 64 bits of the extended
    EXPECT_EQ(a->Mark(), '#');
    EXPECT_FALSE(a->Enabled());
    EXPECT_EQ(a->Font()->Size(), 12);
    EXPECT_EQ(a->Font()->Name(), "Arial");
    EXPECT_EQ(a->Font()->Points, (std::vector<int>{1, -2, 3}));
    EXPECT_EQ(a->Buddy(), b);
    EXPECT_EQ(b->Buddy(), b);
    EXPECT_EQ(b->Extra(), 99);
    EXPECT_EQ(a->OnPing(), TNotifyEvent(panel, &TPanel::HandlePing));
    a->OnPing()(a);
    EXPECT_EQ(panel->pings, 1);
    ASSERT_EQ(a->ComponentCount(), 1);
    EXPECT_EQ(a->Components(0)->Name(), "Inner");
    EXPECT_EQ(dynamic_cast<TWidget*>(a->Components(0))->Width(), 1);

    // Loaded once for each, after everything was read, in the order they were read; no flag left behind.
    EXPECT_EQ(events, (std::vector<std::string>{"Loaded Panel", "Loaded A", "Loaded Inner", "Loaded B"}));
    for (TComponent* c : {static_cast<TComponent*>(panel), static_cast<TComponent*>(a), a->Components(0),
                          static_cast<TComponent*>(b)}) {
        EXPECT_FALSE(c->ComponentState().Contains(csLoading)) << c->Name().c_str();
        EXPECT_FALSE(c->ComponentState().Contains(csReading)) << c->Name().c_str();
    }
}

TEST_F(Filer, DefaultsAndUnstoredPropertiesAreNotWritten)
{
    TPanel panel(nullptr);
    panel.SetName("Panel");
    auto* w = new TWidget(&panel);
    w->SetName("W");
    w->SetSecret(5);  // never stored
    TMemoryStream plain;
    plain.WriteComponent(&panel);
    std::string bytes = Bytes(plain);
    for (const char* name : {"Width", "Caption", "Style", "Options", "Ratio", "Precise", "Mark", "Enabled", "Secret",
                             "Font.", "Buddy", "OnPing", "BlobSize", "Blob", "PointList"})
        EXPECT_FALSE(Has(bytes, name)) << name;

    // Each one that leaves its default is written, and only that one.
    struct Case {
        const char* name;
        void (*change)(TWidget*);
    } cases[] = {
        {"Width", [](TWidget* x) { x->SetWidth(0); }},
        {"Caption", [](TWidget* x) { x->SetCaption("c"); }},
        {"Style", [](TWidget* x) { x->SetStyle(wsRaised); }},
        {"Options", [](TWidget* x) { x->SetOptions({}); }},
        {"Ratio", [](TWidget* x) { x->SetRatio(-1.5); }},
        {"Mark", [](TWidget* x) { x->SetMark('\0'); }},
        {"Enabled", [](TWidget* x) { x->SetEnabled(false); }},
        {"Font.Size", [](TWidget* x) { x->Font()->SetSize(9); }},
        {"Font.PointList", [](TWidget* x) { x->Font()->Points = {4}; }},
        {"Blob", [](TWidget* x) { x->SetBlob("z"); }},
    };
    for (const Case& c : cases) {
        TPanel p(nullptr);
        auto* x = new TWidget(&p);
        c.change(x);
        TMemoryStream s;
        s.WriteComponent(&p);
        std::string written = Bytes(s);
        EXPECT_TRUE(Has(written, c.name)) << c.name;
        int names = 0;
        for (const char* other : {"Width", "Caption", "Style", "Options", "Ratio", "Mark", "Enabled", "Font.Size",
                                  "Font.PointList", "Blob"})
            names += Has(written, other);
        EXPECT_EQ(names, 1) << c.name;
    }
}

TEST_F(Filer, BinaryPropertyPassesThroughByteExact)
{
    std::string blob;
    for (int i = 0; i < 256; ++i) blob += char(i);
    blob += blob;
    TMemoryStream stream;
    {
        TPanel panel(nullptr);
        auto* w = new TWidget(&panel);
        w->SetName("W");
        w->SetBlob(blob);
        stream.WriteComponent(&panel);
    }
    std::string bytes = Bytes(stream);
    std::string length("\x00\x02\x00\x00", 4);  // 512, little-endian
    EXPECT_TRUE(Has(bytes, std::string("Blob") + char(vaBinary) + length + blob));

    stream.SetPosition(0);
    std::unique_ptr<TComponent> read(stream.ReadComponent(nullptr));
    auto* w = dynamic_cast<TWidget*>(read->FindComponent("W"));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Blob(), blob);
    // The published size was applied before the block was read.
    EXPECT_EQ(events[0], "BlobSize 512");
    EXPECT_EQ(events[1], "Blob 512");
}

TEST_F(Filer, UnknownPropertyRaisesWithItsName)
{
    {
        // A widget that publishes more than the one it is read into.
        TMemoryStream s;
        {
            TWidgetPlus plus(nullptr);
            plus.SetExtra(1);
            s.WriteComponent(&plus);
        }
        s.SetPosition(0);
        TWidget target(nullptr);
        try {
            s.ReadComponent(&target);
            FAIL() << "read an unknown property";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), "Property Extra does not exist");
        }
    }
    {
        // A nested name the sub-object does not have, and a top-level one no DefineProperties takes.
        for (const char* name : {"Font.Bogus", "Bogus", "Buddy.Width"}) {
            TMemoryStream s;
            TWriter writer(&s);
            TPanel p(nullptr);
            p.SetName("P");
            writer.WriteRootComponent(&p);
            // Keep the signature, "TPanel" and "P"; then one property by hand and the two end markers.
            s.SetSize(4 + 4 + 6 + 4 + 1);
            s.SetPosition(s.Size());
            std::int32_t n = std::int32_t(std::strlen(name));
            s.WriteBuffer(&n, 4);
            s.WriteBuffer(name, n);
            writer.WriteInteger(1);
            n = 0;
            s.WriteBuffer(&n, 4);
            s.WriteBuffer(&n, 4);
            s.SetPosition(0);
            TWidget target(nullptr);
            try {
                s.ReadComponent(&target);
                FAIL() << name;
            } catch (const EReadError& e) {
                EXPECT_EQ(e.Message(), AnsiString("Property ") + name + " does not exist");
            }
        }
    }
}

TEST_F(Filer, DamagedStreamsRaiseAndLeaveNothingHalfLoaded)
{
    TMemoryStream good;
    {
        TPanel panel(nullptr);
        panel.SetName("Panel");
        auto* a = new TWidget(&panel);
        a->SetName("A");
        a->SetCaption("caption");
        a->SetBlob("blob");
        a->Font()->Points = {1, 2};
        (new TWidget(a))->SetName("Inner");
        good.WriteComponent(&panel);
    }
    std::string bytes = Bytes(good);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        TMemoryStream cut;
        cut.WriteBuffer(bytes.data(), int(n));
        cut.SetPosition(0);
        TPanel target(nullptr);
        EXPECT_THROW(cut.ReadComponent(&target), EStreamError) << n;
        EXPECT_FALSE(target.ComponentState().Contains(csLoading)) << n;
        for (int i = 0; i < target.ComponentCount(); ++i)
            EXPECT_FALSE(target.Components(i)->ComponentState().Contains(csReading)) << n;
    }

    std::string wrong = bytes;
    wrong[0] = 'X';
    TMemoryStream bad;
    bad.WriteBuffer(wrong.data(), int(wrong.size()));
    bad.SetPosition(0);
    try {
        bad.ReadComponent(nullptr);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Invalid stream format");
    }

    // A length that claims more than the stream holds is refused before anything is allocated.
    std::string huge = bytes;
    huge.replace(4, 4, std::string("\xff\xff\xff\x7f", 4));
    TMemoryStream h;
    h.WriteBuffer(huge.data(), int(huge.size()));
    h.SetPosition(0);
    EXPECT_THROW(h.ReadComponent(nullptr), EReadError);
}

TEST_F(Filer, UnknownClassAndMissingReference)
{
    TMemoryStream s;
    {
        TPanel panel(nullptr);
        auto* a = new TWidget(&panel);
        a->SetName("A");
        auto* b = new TWidget(&panel);
        b->SetName("B");
        a->SetBuddy(b);
        s.WriteComponent(&panel);
    }
    std::string bytes = Bytes(s);
    // Rename B's record so A's reference finds nothing.
    std::string renamed = bytes;
    std::string from = std::string("\x01\x00\x00\x00", 4) + "B" + std::string(4, '\0');
    std::size_t at = renamed.rfind(from);
    ASSERT_NE(at, std::string::npos);
    renamed[at + 4] = 'C';
    TMemoryStream r;
    r.WriteBuffer(renamed.data(), int(renamed.size()));
    r.SetPosition(0);
    try {
        r.ReadComponent(nullptr);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Can't find component B");
    }

    std::string unknown = bytes;
    std::size_t cls = unknown.find("TWidget");
    unknown.replace(cls, 7, "TNobody");
    TMemoryStream u;
    u.WriteBuffer(unknown.data(), int(unknown.size()));
    u.SetPosition(0);
    TPanel target(nullptr);
    try {
        u.ReadComponent(&target);
        FAIL();
    } catch (const EFilerError& e) {
        EXPECT_EQ(e.Message(), "Class TNobody not found");
    }
}

TEST_F(Filer, ReadingIntoAnExistingTreeReusesComponentsByName)
{
    TMemoryStream s;
    {
        TPanel panel(nullptr);
        auto* a = new TWidget(&panel);
        a->SetName("A");
        a->SetWidth(42);
        s.WriteComponent(&panel);
    }
    TPanel target(nullptr);
    auto* a = new TWidget(&target);
    a->SetName("A");
    s.SetPosition(0);
    s.ReadComponent(&target);
    ASSERT_EQ(target.ComponentCount(), 1);
    EXPECT_EQ(a->Width(), 42);
}

TEST_F(Filer, TypedValues)
{
    TMemoryStream s;
    {
        TWriter w(&s);
        w.WriteInteger(INT_MIN);
        w.WriteInteger(INT_MAX);
        w.WriteBoolean(true);
        w.WriteBoolean(false);
        w.WriteChar('\0');
        w.WriteFloat(-1.0L / 7.0L);
        w.WriteString(AnsiString(std::string("a\0b", 3)));
        w.WriteIdent("clRed");
        w.WriteListBegin();
        w.WriteInteger(1);
        w.WriteListBegin();
        w.WriteString("nested");
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteInteger(7);
    }
    s.SetPosition(0);
    TReader r(&s);
    EXPECT_EQ(r.ReadInteger(), INT_MIN);
    EXPECT_EQ(r.ReadInteger(), INT_MAX);
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_EQ(r.NextValue(), vaFalse);
    EXPECT_FALSE(r.ReadBoolean());
    EXPECT_EQ(r.ReadChar(), '\0');
    EXPECT_EQ(r.ReadFloat(), -1.0L / 7.0L);
    EXPECT_EQ(r.ReadString(), AnsiString(std::string("a\0b", 3)));
    EXPECT_EQ(r.ReadIdent(), "clRed");
    EXPECT_EQ(r.NextValue(), vaList);
    r.SkipValue();  // the whole list, nested one included
    EXPECT_EQ(r.ReadInteger(), 7);
    EXPECT_THROW(r.ReadInteger(), EReadError);  // at the end

    // A value of another type than asked for.
    s.SetPosition(0);
    TReader mismatch(&s);
    try {
        mismatch.ReadString();
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Invalid property value");
    }
}

TEST_F(Filer, SelectedPropertiesAsLists)
{
    // The shape object storage uses: a list of (component name, list of one property).
    TPanel panel(nullptr);
    panel.SetName("Panel");
    auto* a = new TWidget(&panel);
    a->SetName("A");
    a->SetWidth(10);  // its default: written all the same when asked for
    a->SetCaption("kept");
    TMemoryStream s;
    {
        TWriter w(&s);
        w.SetRoot(&panel);
        w.WriteListBegin();
        for (const char* prop : {"Width", "Caption"}) {
            w.WriteString("A");
            w.WriteListBegin();
            w.WriteProperty(a, *GetPropInfo(a, prop));
            w.WriteListEnd();
        }
        w.WriteString("A");
        w.WriteInteger(5);  // not a list: skipped by the reader
        w.WriteListEnd();
    }
    a->SetWidth(1);
    a->SetCaption("lost");
    s.SetPosition(0);
    TReader r(&s);
    r.SetRoot(&panel);
    r.ReadListBegin();
    int skipped = 0;
    while (!r.EndOfList()) {
        TComponent* c = panel.FindComponent(r.ReadString());
        ASSERT_NE(c, nullptr);
        if (r.NextValue() == vaList) {
            r.ReadListBegin();
            while (!r.EndOfList()) r.ReadProperty(c);
            r.ReadListEnd();
        } else {
            r.SkipValue();
            ++skipped;
        }
    }
    r.ReadListEnd();
    EXPECT_EQ(a->Width(), 10);
    EXPECT_EQ(a->Caption(), "kept");
    EXPECT_EQ(skipped, 1);
}

TEST_F(Filer, EventsAreStoredByTheRootsMethodNames)
{
    TPanel panel(nullptr);
    panel.SetName("Panel");
    auto* a = new TWidget(&panel);
    a->SetName("A");
    TPanel stranger(nullptr);  // a method of an object that is not the root has no name in this stream
    a->SetOnPing(TNotifyEvent(&stranger, &TPanel::HandlePing));
    TMemoryStream s;
    s.WriteComponent(&panel);
    EXPECT_FALSE(Has(Bytes(s), "OnPing"));

    a->SetOnPing(TNotifyEvent(&panel, &TPanel::OtherPing));
    TMemoryStream t;
    t.WriteComponent(&panel);
    EXPECT_TRUE(Has(Bytes(t), std::string("OnPing") + char(vaIdent) + std::string("\x09\x00\x00\x00", 4) + "OtherPing"));
    t.SetPosition(0);
    TPanel target(nullptr);
    t.ReadComponent(&target);
    auto* read = dynamic_cast<TWidget*>(target.FindComponent("A"));
    ASSERT_NE(read, nullptr);
    read->OnPing()(read);
    EXPECT_EQ(target.pings, 100);
}
