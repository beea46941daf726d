#pragma once

// A plain area a dialog draws an example into.

#include <QPainter>
#include <QWidget>

#include <functional>

class TPaintBox : public QWidget {
public:
    explicit TPaintBox(QWidget* parent = nullptr) : QWidget(parent) {}
    std::function<void(QPainter&)> OnPaint;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        if (OnPaint)
            OnPaint(painter);
    }
};
