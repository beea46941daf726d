#pragma once

// The "Edit Switch Type" dialog: toggle, push to make or push to break, with an example switch the
// user can press to try the behaviour before accepting it. One instance exists for the whole
// program.

#include <QDialog>

#include <memory>

class QRadioButton;
class TInteractiveSwitch;
class TPaintBox;

class TEditSwitchDialog : public QDialog {
    Q_OBJECT
public:
    explicit TEditSwitchDialog(QWidget* parent = nullptr);
    ~TEditSwitchDialog() override;
    static TEditSwitchDialog* Instance();

    // The chosen type, a TInteractiveSwitch::Types value; the caller presets it before showing.
    int32_t SwitchType;

    void FormShow();
    // A type radio button was clicked.
    void TypeClick(int32_t type);
    // The mouse went down or up on the test box.
    void TestMouseDown();
    void TestMouseUp();
    const TInteractiveSwitch& Example() const { return *m_example; }

    QRadioButton* RadioToggle;
    QRadioButton* RadioPushToMake;
    QRadioButton* RadioPushToBreak;
    TPaintBox* TestBox;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<TInteractiveSwitch> m_example;
};
