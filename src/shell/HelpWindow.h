#pragma once

// The program's help viewer: a small window that shows the help pages built into the program. It
// installs itself as the viewer of the help calls for as long as it exists.

#include <QWidget>

class QTextBrowser;
class QToolButton;
class QUrl;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);
    ~THelpWindow() override;

    // Shows the page of a topic such as "GateAND.htm" (letter case does not matter) and brings the
    // window to the front. An empty topic shows the contents; a topic without a page shows a page
    // saying so.
    void ShowTopic(const QString& topic);
    // The file name of the page shown, empty while the "no help" page is shown.
    QString CurrentTopic() const { return m_currentTopic; }
    QTextBrowser* Browser() const { return m_browser; }

    static const QString kContentsTopic;

private:
    void LinkClicked(const QUrl& url);

    QTextBrowser* m_browser;
    QToolButton* m_back;
    QToolButton* m_forward;
    QString m_currentTopic;
};
