#pragma once

// The part buttons of the main window's palette: what each places, and an icon drawn from the
// part's own shape so that the palette always looks like what lands on the circuit.

#include "drawing/GraphicObject.h"

#include <QIcon>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

struct TPartButton {
    QString Name; // the button's object name
    QString Hint;
    // A new part with its default settings, built around the origin.
    std::function<std::unique_ptr<TGraphicObject>()> Create;
};

// In the order of the tool bar; the wiring tool comes last.
const std::vector<TPartButton>& PartButtons();

// The object drawn into a square icon of the given size, scaled to fit and centred.
QIcon PartIcon(TGraphicObject& part, int size = 24);
