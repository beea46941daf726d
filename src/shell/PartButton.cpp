#include "shell/PartButton.h"

#include "devices/InputDevice.h"
#include "devices/Interactive.h"
#include "devices/MemoryDevice.h"
#include "devices/OutputDevice.h"
#include "drawing/GraphicText.h"
#include "model/Connect.h"
#include "model/FlipFlops.h"
#include "model/Gates.h"
#include "model/TagDevice.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace {

template <class T> std::function<std::unique_ptr<TGraphicObject>()> Make() {
    return [] { return std::make_unique<T>(); };
}

std::unique_ptr<TGraphicObject> MakeAnnotation() {
    return std::make_unique<TGraphicText>(QStringLiteral("Abc"), 9);
}

// A wire with one bend, for the wiring tool.
std::unique_ptr<TGraphicObject> MakeWireShape() {
    auto wire = std::make_unique<TWire>();
    wire->AddPoint(QPoint(0, 0));
    wire->AddPoint(QPoint(12, 0));
    wire->AddPoint(QPoint(12, 12));
    wire->AddPoint(QPoint(24, 12));
    wire->UpdateVertices();
    return wire;
}

} // namespace

const std::vector<TPartButton>& PartButtons() {
    static const std::vector<TPartButton> buttons = {
        {"SpeedORGate", "OR Gate", Make<T2OrGate>()},
        {"SpeedNORGate", "NOR Gate", Make<T2NorGate>()},
        {"SpeedXORGate", "XOR Gate", Make<T2XorGate>()},
        {"SpeedXNORGate", "XNOR Gate", Make<T2XnorGate>()},
        {"SpeedNOTGate", "NOT Gate", Make<TNotGate>()},
        {"SpeedANDGate", "AND Gate", Make<T2AndGate>()},
        {"SpeedNANDGate", "NAND Gate", Make<T2NandGate>()},
        {"SpeedTriState", "Tri-State Device", Make<TTriState>()},
        {"SpeedRSFlipFlop", "RS Flip Flop", Make<TRSFlipFlop>()},
        {"SpeedJKFlipFlop", "JK Flip Flop", Make<TJKFlipFlop>()},
        {"SpeedDFlipFlop", "D Flip Flop", Make<TDFlipFlop>()},
        {"SpeedMemoryDevice", "Memory Device", Make<TMemoryDevice>()},
        {"SpeedTag", "Tag Device", Make<TTagDevice>()},
        {"SpeedBitGenerator", "Sequence Generator", Make<TBitGenerator>()},
        {"SpeedClock", "Clock", Make<TClockDevice>()},
        {"SpeedPresetSwitch", "Interactive Input", Make<TInteractiveInput>()},
        {"SpeedSwitch", "Switch", Make<TInteractiveSwitch>()},
        {"SpeedNegative", "Ground", Make<TGround>()},
        {"SpeedPositive", "Vcc", Make<TSupply>()},
        {"SpeedLED", "LED", Make<TLEDDevice>()},
        {"Speed7SegmentLED", "7 Segment LED", Make<TLEDSegmentDevice>()},
        {"SpeedNumericDevice", "Numeric Output", Make<TNumericDevice>()},
        {"SpeedAnnotation", "Annotation", MakeAnnotation},
        {"SpeedWireTool", "Wiring Tool", MakeWireShape},
    };
    return buttons;
}

QIcon PartIcon(TGraphicObject& part, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    const TRect bounds = part.GetBounds();
    if (!bounds.IsEmpty()) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal room = size - 2;
        const qreal scale = std::min(1.0, std::min(room / bounds.Width(), room / bounds.Height()));
        painter.translate(size / 2.0, size / 2.0);
        painter.scale(scale, scale);
        painter.translate(-(bounds.Left + bounds.Width() / 2.0), -(bounds.Top + bounds.Height() / 2.0));
        part.Draw(painter);
    }
    return QIcon(pixmap);
}
