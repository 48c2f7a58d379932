#pragma once
// Colours, fonts, brushes and pens, the canvas over a device context, and the graphics drawn on it: bitmaps on
// DIB sections, icons and pictures.
//
// GDI objects are made when first needed and kept until a property changes or the owner goes. A canvas selects
// its font, pen and brush into its DC only when a call needs them, and deselects them before they are freed or
// the DC goes, so no object is ever deleted while selected.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Closure.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/Sets.h"
#include "framework/runtime/Types.h"

class TStream;
class TBitmap;
class TCanvas;

// Data that is not a picture of the expected kind ("Bitmap image is not valid").
DRAVIK_EXCEPTION(EInvalidGraphic, Exception);
// An operation the graphic cannot do (a scan line out of range, resizing an icon).
DRAVIK_EXCEPTION(EInvalidGraphicOperation, Exception);

// ---------------------------------------------------------------------------------------------------------------
// Colours

// 0x00BBGGRR; negative values are system colours (0x80000000 | COLOR_xxx); 0x02BBGGRR is palette-relative.
enum TColor : std::int32_t {};

// The high byte that marks an RGB colour as palette-relative (matched against the selected palette).
constexpr std::int32_t PaletteRelativeFlag = 0x02000000;

constexpr TColor clBlack = TColor(0x000000);
constexpr TColor clMaroon = TColor(0x000080);
constexpr TColor clGreen = TColor(0x008000);
constexpr TColor clOlive = TColor(0x008080);
constexpr TColor clNavy = TColor(0x800000);
constexpr TColor clPurple = TColor(0x800080);
constexpr TColor clTeal = TColor(0x808000);
constexpr TColor clGray = TColor(0x808080);
constexpr TColor clSilver = TColor(0xC0C0C0);
constexpr TColor clRed = TColor(0x0000FF);
constexpr TColor clLime = TColor(0x00FF00);
constexpr TColor clYellow = TColor(0x00FFFF);
constexpr TColor clBlue = TColor(0xFF0000);
constexpr TColor clFuchsia = TColor(0xFF00FF);
constexpr TColor clAqua = TColor(0xFFFF00);
constexpr TColor clWhite = TColor(0xFFFFFF);
constexpr TColor clLtGray = clSilver;
constexpr TColor clDkGray = clGray;
constexpr TColor clNone = TColor(0x1FFFFFFF);
constexpr TColor clDefault = TColor(0x20000000);

constexpr TColor SystemColor(int index) { return TColor(std::int32_t(0x80000000u | unsigned(index))); }
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

// The RGB value to draw with: system colours resolved through GetSysColor, every other value unchanged.
std::int32_t ColorToRGB(TColor color);
// "clRed" for a named colour, else "$00BBGGRR".
AnsiString ColorToString(TColor color);
// A colour name (any case) or an integer ("$00123456", decimal); raises EConvertError otherwise.
TColor StringToColor(const AnsiString& text);

// ---------------------------------------------------------------------------------------------------------------
// Fonts, brushes, pens

// Base of font, brush and pen: notifies OnChange after every change of a property.
class TGraphicsObject : public TPersistent {
public:
    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent e) { onChange_ = e; }

protected:
    void Changed();

private:
    TNotifyEvent onChange_;
};

enum TFontStyle : unsigned char { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle, 4>;
enum TFontPitch : unsigned char { fpDefault, fpVariable, fpFixed };
using TFontCharset = unsigned char;

class TFont : public TGraphicsObject {
public:
    TFont();
    void Assign(TPersistent* source) override;

    AnsiString Name() const { return AnsiString(data_.lfFaceName); }
    void SetName(const AnsiString& name);
    // Points; derived from Height and PixelsPerInch (a positive Height gives a negative Size).
    int Size() const;
    void SetSize(int points);
    // LOGFONT height: negative is the character height, positive the cell height, in pixels.
    int Height() const { return int(data_.lfHeight); }
    void SetHeight(int height);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const;
    void SetStyle(TFontStyles style);
    TFontCharset Charset() const { return data_.lfCharSet; }
    void SetCharset(TFontCharset charset);
    TFontPitch Pitch() const;
    void SetPitch(TFontPitch pitch);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int ppi) { pixelsPerInch_ = ppi > 0 ? ppi : pixelsPerInch_; }

    // The font's HFONT, made on first use; owned by the font.
    HFONT Handle() const;
    // Takes ownership of a font handle; the properties (escapement included) are read from it.
    void SetHandle(HFONT font);

private:
    void PropertyChanged();
    LOGFONTA data_{};
    TColor color_ = clWindowText;
    int pixelsPerInch_ = 96;
    mutable FontHandle handle_;
};

enum TBrushStyle : unsigned char {
    bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};

class TBrush : public TGraphicsObject {
public:
    void Assign(TPersistent* source) override;

    TColor Color() const { return color_; }
    // A clear brush given a colour becomes solid: a colour is set to be painted with.
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);
    // A pattern brush of this bitmap while set. Not owned: the bitmap must stay alive while the brush uses it.
    TBitmap* Bitmap() const { return bitmap_; }
    void SetBitmap(TBitmap* bitmap);

    // The brush's HBRUSH, made on first use; owned by the brush.
    HBRUSH Handle() const;

private:
    void PropertyChanged();
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    TBitmap* bitmap_ = nullptr;  // not owned
    mutable BrushHandle handle_;
};

enum TPenStyle : unsigned char { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// How the pen mixes with the destination (the DC's R2_ mix mode).
enum TPenMode : unsigned char {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
public:
    void Assign(TPersistent* source) override;

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    // Not part of the HPEN: the canvas sets it as the DC's mix mode.
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode mode);

    // The pen's HPEN, made on first use; owned by the pen.
    HPEN Handle() const;

private:
    void PropertyChanged();
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
    mutable PenHandle handle_;
};

// ---------------------------------------------------------------------------------------------------------------
// Canvas

class TGraphic;

using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

enum TFillStyle : unsigned char { fsSurface, fsBorder };

// A drawing surface over a device context. A plain canvas draws on a DC given to it with SetHandle (and never
// frees that DC); derived canvases make their own DC in CreateHandle and give it up in FreeHandle.
//
// Reading Handle selects the font, pen and brush and sets the DC's text colour (font colour), background colour
// (brush colour) and background mode (transparent for bsClear and hatched brushes, else opaque). After that, the
// canvas touches those DC settings again only when font or brush change: CopyRect, Draw and StretchDraw never set
// the DC's text or background colours, so colours set directly on Handle decide how monochrome sources come out.
// A derived canvas calls FreeHandle in its own destructor: the base's cannot reach the override.
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;

    // The DC with font, pen and brush realised; raises EInvalidOperation "Canvas does not allow drawing" when
    // the canvas has none and cannot make one.
    HDC Handle();
    // Attaches a foreign DC (nullptr detaches). The objects selected into the previous DC are put back first.
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return dc_ != nullptr; }
    // Gives up the DC: a foreign one is detached, one the canvas made is freed.
    virtual void FreeHandle();

    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* font) { font_->Assign(font); }
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(TBrush* brush) { brush_->Assign(brush); }
    TPen* Pen() const { return pen_.get(); }
    void SetPen(TPen* pen) { pen_->Assign(pen); }
    TCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TCopyMode mode) { copyMode_ = mode; }
    // The DC's clip box.
    TRect ClipRect();
    TPoint PenPos();
    void SetPenPos(const TPoint& p) { MoveTo(p.x, p.y); }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(std::span<const TPoint> points);
    void Polyline(const TPoint* points, int count) { Polyline(std::span<const TPoint>(points, SpanSize(count))); }
    void Polygon(std::span<const TPoint> points);
    void Polygon(const TPoint* points, int count) { Polygon(std::span<const TPoint>(points, SpanSize(count))); }
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // Fills with the brush, no outline.
    void FillRect(const TRect& r);
    // A one-pixel frame in the brush.
    void FrameRect(const TRect& r);
    // fsSurface fills the area of colour; fsBorder fills up to a border of colour.
    void FloodFill(int x, int y, TColor color, TFillStyle style);
    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor color);

    // Draws the graphic at its own size at (x, y); nothing for a null or empty graphic.
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    // Stretching copy from source's area with CopyMode.
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    // Copies bitmap's area with the pixels of colour (RGB compared, palette flag ignored) replaced by the brush.
    void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& sourceRect, TColor color);

    // <windows.h> renames TextOut to TextOutA here and in every caller alike.
    void TextOut(int x, int y, const AnsiString& text);
    // Text at (x, y) clipped to r; the brush fills r unless it is clear.
    void TextRect(const TRect& r, int x, int y, const AnsiString& text);
    TSize TextExtent(const AnsiString& text);
    int TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
    int TextHeight(const AnsiString& text) { return TextExtent(text).cy; }
    void DrawFocusRect(const TRect& r);

    // Serialises drawing from several threads; a locked bitmap canvas keeps its DC.
    void Lock();
    void Unlock();
    bool TryLock();
    int LockCount() const { return lockCount_.load(); }

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent e) { onChange_ = e; }
    TNotifyEvent OnChanging() const { return onChanging_; }
    void SetOnChanging(TNotifyEvent e) { onChanging_ = e; }

protected:
    // Called when a DC is needed and none is attached; a derived canvas attaches its own with SetHandle.
    virtual void CreateHandle() {}
    virtual void Changing();
    virtual void Changed();

private:
    friend class TBitmap;
    enum : unsigned { FontValid = 1, PenValid = 2, BrushValid = 4, BrushSelected = 8 };
    static std::size_t SpanSize(int count) { return count > 0 ? std::size_t(count) : 0; }

    // Makes sure there is a DC and that the named objects are realised.
    HDC Require(unsigned what);
    void DeselectAll();
    void Deselect(unsigned what);
    void FontChanged(TObject* sender);
    void PenChanged(TObject* sender);
    void BrushChanged(TObject* sender);

    HDC dc_ = nullptr;  // attached or made by a derived canvas; never freed here
    unsigned state_ = 0;
    HGDIOBJ oldFont_ = nullptr;   // the DC's own objects, put back on deselecting
    HGDIOBJ oldPen_ = nullptr;
    HGDIOBJ oldBrush_ = nullptr;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
    TCopyMode copyMode_ = cmSrcCopy;
    std::recursive_mutex lock_;
    std::atomic<int> lockCount_{0};
    TNotifyEvent onChange_;
    TNotifyEvent onChanging_;
};

// ---------------------------------------------------------------------------------------------------------------
// Graphics

// Base of bitmap and icon: a picture with a size that draws itself on a canvas and is stored in streams.
class TGraphic : public TPersistent {
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    virtual HPALETTE Palette() const { return nullptr; }
    virtual void SetPalette(HPALETTE) {}
    // Drawn with its transparent parts left out.
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    bool Modified() const { return modified_; }
    void SetModified(bool value) { modified_ = value; }

    // Raise EInvalidGraphic for data that is not a picture of the class.
    virtual void LoadFromStream(TStream* stream) = 0;
    virtual void SaveToStream(TStream* stream) = 0;
    void LoadFromFile(const AnsiString& fileName);
    void SaveToFile(const AnsiString& fileName);

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent e) { onChange_ = e; }

    // The binary property "Data", written when the graphic is not empty.
    void DefineProperties(TFiler* filer) override;

protected:
    friend class TCanvas;
    friend class TPicture;
    // Draws the whole graphic into r of canvas.
    virtual void Draw(TCanvas* canvas, const TRect& r) = 0;
    // The content of "Data": the stream holds exactly the stored bytes. By default the graphic's file image.
    virtual void ReadData(TStream* stream);
    virtual void WriteData(TStream* stream);
    // Marks the graphic modified and notifies OnChange.
    virtual void Changed();

    bool transparent_ = false;

private:
    bool modified_ = false;
    TNotifyEvent onChange_;
};

struct TBitmapImage;

// pfDevice is the screen's format; pfCustom a layout no other value names.
enum TPixelFormat : unsigned char { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// A bitmap on a DIB section (bottom-up, as in a bitmap file); a monochrome bitmap is a 1-bpp device bitmap so
// that blits to and from colour DCs follow the DC's text and background colours, as masks need.
class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;
    void Assign(TPersistent* source) override;

    bool Empty() const override { return width_ <= 0 || height_ <= 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Resizing keeps the overlapping content at the top-left; new pixels are white.
    void SetWidth(int width) override { SetSize(width, height_); }
    void SetHeight(int height) override { SetSize(width_, height); }
    void SetSize(int width, int height);

    TCanvas* Canvas();
    // The bitmap handle, owned by the bitmap (nullptr when empty). Reading it gives up the canvas's DC (unless
    // the canvas is locked), so the bitmap can be selected into another DC.
    HBITMAP Handle();
    // Takes ownership of a bitmap handle; a device bitmap that is not monochrome becomes a DIB section.
    void SetHandle(HBITMAP bitmap);
    // A monochrome mask, owned by the bitmap: white where the pixel is the transparent colour, black elsewhere.
    HBITMAP MaskHandle();
    // The colour table as a palette for bitmaps of up to 8 bits, else the palette set; owned by the bitmap.
    HPALETTE Palette() const override;
    // Keeps a copy; the caller still owns its handle. Up to 8 bits the entries become the colour table.
    void SetPalette(HPALETTE palette) override;

    // The actual format of the pixels (pfDevice only before the bitmap has pixels).
    TPixelFormat PixelFormat() const;
    // Converts the pixels. Up to 8 bits the colour table is the bitmap's palette when it has one, else the
    // picture's own colours when few enough, else a fixed table; pf1bit makes the bitmap monochrome.
    void SetPixelFormat(TPixelFormat format);
    bool Monochrome() const { return mono_; }
    // True turns the pixels of the canvas brush colour white and all others black; false makes a device-format
    // bitmap of black and white.
    void SetMonochrome(bool value);

    // Row 0 is the top row. Raises EInvalidGraphicOperation for a row out of range and for monochrome bitmaps.
    void* ScanLine(int row);

    // The colour set with SetTransparentColor, else the bottom-left pixel's (RGB, no palette flag); clNone
    // for an empty bitmap. Setting clDefault goes back to the bottom-left pixel.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);

    // The bitmap file format: file header, info header, colour table (or bit masks) and bits.
    void LoadFromStream(TStream* stream) override;
    // Writes the bitmap in its own format (1, 4, 8, 16, 24 or 32 bits).
    void SaveToStream(TStream* stream) override;
    // A bitmap resource (RT_BITMAP); raises EResNotFound "Resource %s not found".
    void LoadFromResourceID(HINSTANCE instance, int id);
    void LoadFromResourceName(HINSTANCE instance, const AnsiString& name);

protected:
    void Draw(TCanvas* canvas, const TRect& r) override;
    void Changed() override;
    // An int32 byte count, then the bitmap file.
    void ReadData(TStream* stream) override;
    void WriteData(TStream* stream) override;

private:
    friend class TBitmapCanvas;
    friend class TCanvas;

    void Adopt(std::unique_ptr<TBitmapImage> image);
    void Clear();
    // Frees the canvas's DC so the bitmap is selected nowhere; a locked canvas keeps it unless forced.
    void FreeContext(bool force);
    HDC CanvasDC() const;
    void CanvasChanged(TObject* sender);
    // Every pixel as 0x00BBGGRR, rows from the top.
    std::vector<std::uint32_t> ReadPixels() const;
    std::vector<RGBQUAD> TableFor(int bits, const std::vector<std::uint32_t>& pixels) const;
    // A monochrome bitmap of this size, white where the pixel's RGB is key.
    BitmapHandle MakeMask(std::uint32_t key) const;
    void LoadDIB(const unsigned char* data, std::size_t size, bool fileHeader);

    std::unique_ptr<TBitmapImage> image_;
    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = pfDevice;  // wanted format while empty
    bool mono_ = false;
    TColor transparentColor_ = clDefault;
    mutable PaletteHandle palette_;
    bool paletteSet_ = false;  // palette_ was given, not made from the colour table
    BitmapHandle mask_;
    std::unique_ptr<TCanvas> canvas_;
};

class TIcon : public TGraphic {
public:
    TIcon();
    ~TIcon() override;
    void Assign(TPersistent* source) override;

    bool Empty() const override { return !handle_; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Raise EInvalidGraphicOperation: an icon's size comes with its image.
    void SetWidth(int width) override;
    void SetHeight(int height) override;

    HICON Handle() const { return handle_.get(); }
    // Takes ownership of an icon handle.
    void SetHandle(HICON icon);

    // The icon file format; loading takes the first image of the file.
    void LoadFromStream(TStream* stream) override;
    void SaveToStream(TStream* stream) override;
    // An icon resource (RT_GROUP_ICON) at the system's icon size.
    void LoadFromResourceID(HINSTANCE instance, int id);
    void LoadFromResourceName(HINSTANCE instance, const AnsiString& name);

protected:
    void Draw(TCanvas* canvas, const TRect& r) override;

private:
    void SetIcon(HICON icon);
    IconHandle handle_;
    int width_ = 0;
    int height_ = 0;
};

// Holds one graphic of any kind, owned, and reports its changes.
class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    void Assign(TPersistent* source) override;

    TGraphic* Graphic() const { return graphic_.get(); }
    // Keeps a copy of graphic (nullptr clears the picture).
    void SetGraphic(TGraphic* graphic);
    // The graphic as a bitmap; a picture holding anything else is replaced by an empty bitmap first.
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* bitmap) { SetGraphic(bitmap); }
    // Likewise for an icon.
    TIcon* Icon();
    void SetIcon(TIcon* icon) { SetGraphic(icon); }
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    // By the file's extension: .bmp a bitmap, .ico an icon; raises EInvalidGraphic for others.
    void LoadFromFile(const AnsiString& fileName);
    // Raises EInvalidGraphicOperation for an empty picture.
    void SaveToFile(const AnsiString& fileName);

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent e) { onChange_ = e; }

    // The binary property "Data": the graphic's class name as a counted string (one length byte), then the
    // graphic's own "Data" content; written when the picture holds a graphic.
    void DefineProperties(TFiler* filer) override;

private:
    void ReadData(TStream* stream);
    void WriteData(TStream* stream);
    void Take(std::unique_ptr<TGraphic> graphic);
    void GraphicChanged(TObject* sender);
    std::unique_ptr<TGraphic> graphic_;
    TNotifyEvent onChange_;
};
