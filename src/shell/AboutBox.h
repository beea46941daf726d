#pragma once

// The about box: a picture with the program's name, its version and a notice line that opens the
// help page about Tessivar. It has no title bar; a click on the picture, the version or the close
// corner closes it.

#include <QDialog>

class QLabel;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;
    // The box created at program start, or nil while none exists.
    static TAboutBox* Instance();

    // The picture, the version or the close corner was clicked: the box closes.
    void ImageClick();
    // The notice line was clicked: the help page about Tessivar opens; the box stays.
    void Label4Click();

    QWidget* Image;
    QLabel* Version;
    QLabel* Notice;
    QWidget* CloseArea;

    // The help page the notice line opens.
    static const QString kAboutTopic;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
