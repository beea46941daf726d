#include "drawing/GraphicObject.h"

#include "drawing/Geometry.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

TRect UnionRect(const TRect& a, const TRect& b) {
    if (b.IsEmpty())
        return a;
    if (a.IsEmpty())
        return b;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

void FloatRect::Include(const FloatRect& other) {
    MinX = std::min(MinX, other.MinX);
    MaxX = std::max(MaxX, other.MaxX);
    MinY = std::min(MinY, other.MinY);
    MaxY = std::max(MaxY, other.MaxY);
}

void FloatRect::Include(float x, float y) {
    MinX = std::min(MinX, x);
    MaxX = std::max(MaxX, x);
    MinY = std::min(MinY, y);
    MaxY = std::max(MaxY, y);
}

// ---------------------------------------------------------------------------------------------------

void TFloatPoint::Write(TSerializeWriter& writer) {
    writer.WriteFloat(X);
    writer.WriteFloat(Y);
}

void TFloatPoint::Read(TSerializeReader& reader) {
    X = reader.ReadFloat();
    Y = reader.ReadFloat();
}

TFloatPoint* NewFloatPoint(float x, float y) {
    return new TFloatPoint(x, y);
}

// ---------------------------------------------------------------------------------------------------

void TGraphicObject::GetCentre(float& x, float& y) {
    const FloatRect e = GetExtent();
    x = e.MinX + (e.MaxX - e.MinX) / 2;
    y = e.MinY + (e.MaxY - e.MinY) / 2;
}

QPoint TGraphicObject::RoundedCentre() {
    float x, y;
    GetCentre(x, y);
    return QPoint(RoundToInt(x), RoundToInt(y));
}

// ---------------------------------------------------------------------------------------------------

TGraphicList::TGraphicList() : Children(std::make_unique<TSerializeList>()) {
    AddKind(kKind);
}

TGraphicList::TGraphicList(TReferencesOnly) : Children(std::make_unique<TSerializeList>(kReferencesOnly)) {
    AddKind(kKind);
}

TGraphicList::~TGraphicList() = default;

void TGraphicList::Write(TSerializeWriter& writer) {
    writer.WriteObject(Children.get());
}

void TGraphicList::Read(TSerializeReader& reader) {
    Children.reset(reader.ReadOwnedListOf<TGraphicObject>());
    HitChild = nullptr;
}

void TGraphicList::Clear() {
    HitChild = nullptr;
    Children->FreeAll();
}

bool TGraphicList::HitTestChildren(int x, int y) {
    HitChild = nullptr;
    for (int i = ChildCount() - 1; i >= 0; --i) {
        TGraphicObject* child = Child(i);
        if (child->HitTest(x, y)) {
            HitChild = child;
            return true;
        }
    }
    return false;
}

bool TGraphicList::HitTest(int x, int y) {
    return HitTestChildren(x, y);
}

void TGraphicList::DrawChildren(QPainter& dc) {
    for (TGraphicObject* child : Items()) {
        if (child->Dragging != Dragging)
            child->Dragging = Dragging;
        child->Draw(dc);
    }
}

void TGraphicList::Draw(QPainter& dc) {
    DrawChildren(dc);
}

void TGraphicList::Rotate(float angle) {
    for (TGraphicObject* child : Items())
        child->Rotate(angle);
}

void TGraphicList::Scale(float sx, float sy) {
    for (TGraphicObject* child : Items())
        child->Scale(sx, sy);
}

void TGraphicList::Offset(float dx, float dy) {
    for (TGraphicObject* child : Items())
        child->Offset(dx, dy);
}

void TGraphicList::UpdateVertices() {
    for (TGraphicObject* child : Items())
        child->UpdateVertices();
}

TRect TGraphicList::GetBounds() {
    TRect bounds{2147483647, 2147483647, 0, 0};
    for (TGraphicObject* child : Items())
        bounds = UnionRect(bounds, child->GetBounds());
    return bounds;
}

FloatRect TGraphicList::GetExtent() {
    FloatRect extent;
    for (TGraphicObject* child : Items())
        extent.Include(child->GetExtent());
    return extent;
}

void TGraphicList::CentreOn(QPoint p) {
    float cx, cy;
    GetCentre(cx, cy);
    Offset(-cx, -cy);
    Offset(static_cast<float>(p.x()), static_cast<float>(p.y()));
    UpdateVertices();
}

void TGraphicList::BringToFront(TGraphicObject* child) {
    Children->Remove(child);
    Children->Pack();
    Children->Add(child);
}

void TGraphicList::SendToBack(TGraphicObject* child) {
    Children->Remove(child);
    Children->Pack();
    Children->Insert(0, child);
}

void TGraphicList::DeleteChild(TGraphicObject* child) {
    if (!child)
        return;
    Children->Remove(child);
    Children->Pack();
    if (HitChild == child)
        HitChild = nullptr;
    delete child;
}

bool TGraphicList::CollectInside(const TRect& r, TGraphicList* target) {
    bool found = false;
    for (TGraphicObject* child : Items()) {
        if (RectInsideRect(child->GetBounds(), r)) {
            target->AddChild(child);
            found = true;
        }
    }
    return found;
}

bool TGraphicList::CollectOutside(const TRect& r, TGraphicList* target) {
    bool found = false;
    for (TGraphicObject* child : Items()) {
        if (!RectInsideRect(child->GetBounds(), r)) {
            target->AddChild(child);
            found = true;
        }
    }
    return found;
}
