#pragma once

// The drawable base: everything on a canvas keeps float geometry (the model) and integer vertices
// derived from it by rounding (what is drawn and hit-tested). Edit the floats, then UpdateVertices.

#include "drawing/Serialize.h"

#include <QColor>
#include <QPoint>
#include <QRect>

#include <cmath>
#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif
#include <cstdint>
#include <memory>

class QPainter;

// Kind bits of the drawing layer.
enum TDrawingKind : uint32_t {
    kKindFloatPoint = 1u << 0,
    kKindGraphicObject = 1u << 1,
    kKindSegment = 1u << 2,
    kKindPolygon = 1u << 3,
    kKindPolyline = 1u << 4,
    kKindGraphicList = 1u << 5,
    kKindGraphicText = 1u << 6,
    kKindGraphicBox = 1u << 7,
    // 1u << 8 is TSerializeList's.
};

// Integer rectangle with exclusive right and bottom edges.
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    // An empty rectangle (the bounds of a shape without points span the whole integer range the
    // wrong way round) becomes an empty QRect.
    QRect ToQRect() const { return IsEmpty() ? QRect() : QRect(Left, Top, Right - Left, Bottom - Top); }
    static TRect FromQRect(const QRect& r) {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    bool operator==(const TRect&) const = default;
};

// Union that ignores empty rectangles.
TRect UnionRect(const TRect& a, const TRect& b);

// Four floats in the order MinX, MaxX, MinY, MaxY.
struct FloatRect {
    float MinX = 100000;
    float MaxX = -100000;
    float MinY = 100000;
    float MaxY = -100000;

    void Include(const FloatRect& other);
    void Include(float x, float y);
};

// Colours are stored with red in the low byte, green in the second and blue in the third.
inline QColor ColourToQColor(uint32_t colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}
inline uint32_t QColorToColour(const QColor& c) {
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
           (static_cast<uint32_t>(c.blue()) << 16);
}
constexpr uint32_t RGBColour(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}
constexpr uint32_t kColourBlack = 0;
constexpr uint32_t kColourWhite = 0xFFFFFF;

struct TPen {
    uint32_t Colour = kColourBlack;
    int32_t Width = 1;
    bool Dotted = false;
};

struct TBrush {
    uint32_t Colour = kColourWhite;
};

// Rounds to the nearest integer, ties to even; values far outside any canvas are clamped.
inline int32_t RoundToInt(float value) {
    // Far beyond any canvas, and small enough that bounds arithmetic cannot overflow.
    constexpr float kLimit = 1.0e9f;
    if (!(value == value))
        return 0;
    value = value < -kLimit ? -kLimit : (value > kLimit ? kLimit : value);
#if defined(__SSE__) || defined(__x86_64__)
    // The processor's own conversion rounds half to even, without a call into the maths library.
    return _mm_cvt_ss2si(_mm_set_ss(value));
#else
    return static_cast<int32_t>(std::lrint(value));
#endif
}

class TFloatPoint : public TSerialize {
public:
    TESSIVAR_CLASS(TFloatPoint)
    TESSIVAR_KIND(TFloatPoint, kKindFloatPoint);
    TFloatPoint() { AddKind(kKind); }
    TFloatPoint(float x, float y) : TFloatPoint() {
        X = x;
        Y = y;
    }

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void Assign(const TFloatPoint& other) {
        X = other.X;
        Y = other.Y;
    }

    float X = 0;
    float Y = 0;
};

TFloatPoint* NewFloatPoint(float x, float y);

class TGraphicObject : public TSerialize {
public:
    TESSIVAR_KIND(TGraphicObject, kKindGraphicObject);
    TGraphicObject() { AddKind(kKind); }

    virtual void Clear() = 0;
    virtual bool HitTest(int x, int y) = 0;
    virtual void Draw(QPainter& dc) = 0;
    virtual void Rotate(float angle) = 0; // degrees, about the float origin
    virtual void Scale(float sx, float sy) = 0;
    virtual void Offset(float dx, float dy) = 0;
    virtual void UpdateVertices() = 0;
    virtual TRect GetBounds() = 0;
    virtual FloatRect GetExtent() = 0;
    // Middle of GetExtent.
    virtual void GetCentre(float& x, float& y);

    QPoint RoundedCentre();

    bool Rotatable = true;
    bool Sizeable = true;
    bool Dragging = false;
    QString HelpTopic;
};

// A composite drawable. Children are drawn in list order, so the last one lies on top.
class TGraphicList : public TGraphicObject {
public:
    TESSIVAR_CLASS(TGraphicList)
    TESSIVAR_KIND(TGraphicList, kKindGraphicList);
    TGraphicList();
    // A temporary group of objects owned elsewhere (a selection, a collection).
    explicit TGraphicList(TReferencesOnly);
    ~TGraphicList() override;

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;

    void Clear() override;
    bool HitTest(int x, int y) override;
    void Draw(QPainter& dc) override;
    void Rotate(float angle) override;
    void Scale(float sx, float sy) override;
    void Offset(float dx, float dy) override;
    void UpdateVertices() override;
    TRect GetBounds() override;
    FloatRect GetExtent() override;

    virtual void CentreOn(QPoint p);
    virtual void BringToFront(TGraphicObject* child);
    virtual void SendToBack(TGraphicObject* child);
    virtual void DeleteChild(TGraphicObject* child);

    bool CollectInside(const TRect& r, TGraphicList* target);
    bool CollectOutside(const TRect& r, TGraphicList* target);

    int ChildCount() const { return Children->Count(); }
    TGraphicObject* Child(int index) const { return Children->ItemAs<TGraphicObject>(index); }
    void AddChild(TGraphicObject* child) { Children->Add(child); }
    // The children as the class the list holds: for (TWire* wire : Wires->Items<TWire>()).
    template <class T = TGraphicObject> TListView<T> Items() const { return TListView<T>(*Children); }

    // Owned; never null. Every item is a TGraphicObject.
    std::unique_ptr<TSerializeList> Children;
    // Not owned: the child found by the last HitTest.
    TGraphicObject* HitChild = nullptr;

protected:
    // The composite versions, for subclasses that override with other lists.
    bool HitTestChildren(int x, int y);
    void DrawChildren(QPainter& dc);
};
