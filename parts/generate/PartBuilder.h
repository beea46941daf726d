#pragma once

// Builds one part of the shipped library: its inner circuit, wired with joints and right-angled
// wires, its terminals (tags), and the outline a circuit shows when the part is placed in it: a box
// with the part's caption and a labelled pin for every terminal, inputs left and outputs right.

#include "model/CircuitFile.h"
#include "model/Macro.h"
#include "model/TagDevice.h"

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <map>
#include <memory>
#include <vector>

enum class TPinSide { Input, Output };

struct TPinDescription {
    QString Name;
    TPinSide Side;
    QString Function; // one line for the datasheet's pin table
};

class TPartBuilder {
public:
    // The pins in their order on the outline; pin numbers count from 0 in this order.
    explicit TPartBuilder(std::vector<TPinDescription> pins);

    // Places a new device of class T with its origin at (x, y).
    template <class T> T* Add(int x, int y) {
        auto* device = new T;
        Place(device, x, y);
        return device;
    }
    // The terminal of a pin, placed at (x, y) with the pin's name written beside it.
    TTagDevice* Terminal(const QString& name, int x, int y);
    TPin* TerminalPin(const QString& name) const;
    // A closed copy of another part (the bytes of its file) centred on (x, y).
    TMacro* Nested(const QByteArray& partFile, int x, int y);
    void Text(const QString& text, int x, int y, int size = 9);

    // A wire from pin or joint a through the bend points to pin or joint b.
    void Wire(TGraphicObject* a, std::vector<QPoint> bends, TGraphicObject* b);
    // Joins a driver to its sinks along a vertical trunk at trunkX, with a joint where each branch
    // but the last leaves it. A sink right of the trunk is reached at its own height; one left of
    // it (a feedback) along the row detour pixels below it, then from its left.
    void Net(TGraphicObject* driver, std::vector<TGraphicObject*> sinks, int trunkX, int detour = -30);

    // Draws the outline, links the terminals to its pins and returns the file's bytes.
    QByteArray Finish(const QString& name, const QString& caption, int width, const QString& datasheet);

private:
    void Place(TGraphicObject* object, int x, int y);
    void BuildOutline(const QString& caption, int width);

    std::vector<TPinDescription> m_pins;
    std::map<QString, TTagDevice*> m_terminals;
    std::unique_ptr<TMacro> m_root;
};
