#pragma once

// The device base: a composite whose children are its shape, plus a list of pins. Every part with
// pins derives from TDevice and is driven by the settling loop through Calculate.

#include "drawing/GraphicText.h"
#include "model/Connect.h"
#include "model/Kinds.h"

#include <memory>
#include <vector>

class TDevice;

// Where a device's label sits, stored in files as these numbers; other stored values leave the
// label where it is.
enum class TLabelPosition : int32_t { Left = 0, Right = 1, Top = 2, Bottom = 3 };

// What a Calculate reports to the settling loop and the canvas.
struct TCalcResult {
    TDevice* Device = nullptr; // where to show a halt message; nil: above the level shown
    bool Contention = false;
    bool Changed = false;
    bool Race = false;
    bool Halt = false;
};

class TDevice : public TGraphicList {
public:
    TESSIVAR_CLASS(TDevice)
    TESSIVAR_KIND(TDevice, kKindDevice);
    TDevice();
    ~TDevice() override;

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
    void CentreOn(QPoint p) override;

    virtual void InteractiveDown() {}
    virtual void InteractiveUp() {}
    virtual void Calculate(TCalcResult& result);
    // The calculation order's trial run: drives the outputs as Calculate does, but every state the
    // device keeps (memory words, flip-flop states, the contention flag) stays as it was.
    virtual void TrialCalculate(TCalcResult& result);
    virtual void Reset();
    virtual void ClearInputs(int32_t level);
    virtual void CollectDrivers(std::vector<TDevice*>& list);
    virtual void ClearDrivers();

    bool AnyPinWired() const;
    int PinCount() const { return Pins->ChildCount(); }
    // Pins are checked to be TPin objects when read, so this is a plain cast.
    TPin* Pin(int index) const { return Pins->Children->ItemAs<TPin>(index); }

    // A shape child of the given class, or nil when the shape (read from a file when the device
    // was transformed) has no such child there.
    template <class T> T* ShapeChild(int index) const {
        return index >= 0 && index < ChildCount() ? KindCast<T>(Child(index)) : nullptr;
    }

    bool ShowPins = false;
    bool Transformed = false;
    bool Interactive = false;
    bool Contended = false;
    float X = 0;
    float Y = 0;
    std::unique_ptr<TGraphicList> Pins; // owned; never null; every child is a TPin
    TPin* HitPin = nullptr;             // not owned

protected:
    // The number of pins Calculate addresses, checked when a device is read; -1 when the class
    // checks its own pins (or has none it relies on).
    virtual int RequiredPinCount() const { return -1; }

    // Shape building for constructors, around the origin. The vertices are left to a final
    // UpdateVertices of the whole device.
    TPolygon* AddPolygon(std::initializer_list<QPointF> points);
    TPolyline* AddLine(std::initializer_list<QPointF> points);
    TGraphicText* AddText(const QString& text, float dx, float dy, int32_t fontSize = 7);
    TPin* AddPin(TPinKind kind, int x, int y);

    // The TDevice versions, for subclasses that replace them.
    FloatRect DeviceExtent();
    TRect DeviceBounds();
};

// A device with a movable name label.
class TTextDevice : public TDevice {
public:
    TESSIVAR_CLASS(TTextDevice)
    TESSIVAR_KIND(TTextDevice, kKindTextDevice);
    TTextDevice();
    ~TTextDevice() override;

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;

    void Clear() override;
    bool HitTest(int x, int y) override;
    void Draw(QPainter& dc) override;
    void Offset(float dx, float dy) override;
    void UpdateVertices() override;
    TRect GetBounds() override;
    FloatRect GetExtent() override;
    void CentreOn(QPoint p) override;

    void SetLabel(const QString& text);
    QString GetLabel() const { return Label->Text; }
    bool GetLabelOverline() const { return Label->Overline; }
    void SetLabelOverline(bool overline);
    void SetLabelPosition(TLabelPosition position);

    std::unique_ptr<TGraphicText> Label; // owned; never null
    TLabelPosition LabelPosition = TLabelPosition::Left;

protected:
    // Draws the device and its label without what subclasses add.
    void DrawTextDevice(QPainter& dc);
};

// A device whose signal the logic history can record.
class THistoryDevice : public TTextDevice {
public:
    TESSIVAR_CLASS(THistoryDevice)
    TESSIVAR_KIND(THistoryDevice, kKindHistoryDevice);
    THistoryDevice();

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void Clear() override;
    void Reset() override;

    // Appends the decimal text of the value until the history holds 1024 characters.
    void AppendHistory(int32_t value);

    QString History;
    bool InHistory = false;

    static constexpr int kMaxHistory = 1024;
};

// Devices that feed a circuit from outside its logic. A macro calculates them once per step.
class TInputDevice : public THistoryDevice {
public:
    TESSIVAR_KIND(TInputDevice, kKindInputDevice);
    TInputDevice() { AddKind(kKind); }
    // After a step: records one history sample, then refreshes the device's look.
    void PaintValue(QPainter& dc) {
        SampleValue();
        DrawValue(dc);
    }
    virtual void SampleValue() {}
    virtual void DrawValue(QPainter&) {}
};

// Devices that show levels. A macro calculates them once per step, after settling.
class TOutputDevice : public THistoryDevice {
public:
    TESSIVAR_KIND(TOutputDevice, kKindOutputDevice);
    TOutputDevice() { AddKind(kKind); }

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    // After a step: records one history sample, then refreshes the device's look.
    void PaintValue(QPainter& dc) {
        SampleValue();
        DrawValue(dc);
    }
    virtual void SampleValue() {}
    virtual void DrawValue(QPainter&) {}

    uint32_t Colour = 0;
};

// Logic levels: only bit 0 counts.
inline int32_t Bit0(int32_t level) {
    return level & 1;
}
