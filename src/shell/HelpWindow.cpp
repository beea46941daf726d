#include "shell/HelpWindow.h"

#include "drawing/Help.h"

#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

// Resources compiled into a static library need a reference to be linked in.
static void InitHelpResources() {
    Q_INIT_RESOURCE(tessivar_help);
}

namespace {

const QString kPageFolder = QStringLiteral(":/help");

// The page file of a topic, matched without regard to letter case; empty when there is none.
QString FindPage(const QString& topic) {
    const QString name = QUrl(topic).fileName();
    if (name.isEmpty())
        return {};
    const QStringList pages = QDir(kPageFolder).entryList(QDir::Files);
    for (const QString& page : pages) {
        if (page.compare(name, Qt::CaseInsensitive) == 0)
            return page;
    }
    return {};
}

} // namespace

const QString THelpWindow::kContentsTopic = QStringLiteral("index.htm");

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    static const bool resourcesReady = [] {
        InitHelpResources();
        return true;
    }();
    Q_UNUSED(resourcesReady);

    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Tessivar Help"));
    resize(560, 640);

    auto* contents = new QToolButton(this);
    contents->setObjectName(QStringLiteral("HelpContents"));
    contents->setText(tr("Contents"));
    m_back = new QToolButton(this);
    m_back->setObjectName(QStringLiteral("HelpBack"));
    m_back->setText(tr("Back"));
    m_forward = new QToolButton(this);
    m_forward->setObjectName(QStringLiteral("HelpForward"));
    m_forward->setText(tr("Forward"));

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    // Links go through ShowTopic, so a link to a missing page gets the "no help" page too.
    m_browser->setOpenLinks(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    connect(contents, &QToolButton::clicked, this, [this] { ShowTopic(kContentsTopic); });
    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &THelpWindow::LinkClicked);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this](const QUrl& url) { m_currentTopic = url.fileName(); });
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    // The built-in pages serve whatever help file the callers name.
    SetHelpHandler([this](const QString&, const QString&, const QString& topic) { ShowTopic(topic); });
}

THelpWindow::~THelpWindow() {
    SetHelpHandler({});
}

void THelpWindow::ShowTopic(const QString& topic) {
    const QString wanted = topic.isEmpty() ? kContentsTopic : topic;
    const QString page = FindPage(wanted);
    if (page.isEmpty()) {
        m_browser->setHtml(tr("<html><body><h2>No help available</h2>"
                              "<p>There is no help for the topic \"%1\".</p>"
                              "<p><a href=\"%2\">Help contents</a></p></body></html>")
                               .arg(wanted.toHtmlEscaped(), kContentsTopic));
        m_currentTopic.clear();
    } else {
        QUrl url(QStringLiteral("qrc%1/%2").arg(kPageFolder, page));
        url.setFragment(QUrl(wanted).fragment());
        m_browser->setSource(url);
        m_currentTopic = page;
    }
    show();
    raise();
    activateWindow();
}

void THelpWindow::LinkClicked(const QUrl& url) {
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https") ||
        url.scheme() == QLatin1String("mailto")) {
        QDesktopServices::openUrl(url);
        return;
    }
    if (url.isRelative() && url.path().isEmpty()) {
        m_browser->scrollToAnchor(url.fragment());
        return;
    }
    QString topic = url.fileName();
    if (url.hasFragment())
        topic += QLatin1Char('#') + url.fragment();
    ShowTopic(topic);
}
