#include "shell/HelpWindow.h"

#include "drawing/Help.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

// Every topic the program opens.
const QStringList kTopics = {
    "DeviceNumericOutput.htm",
    "FlipFlopDType.htm",
    "FlipFlopJK.htm",
    "FlipFlopRS.htm",
    "GateAND.htm",
    "GateInverter.htm",
    "GateNAND.htm",
    "GateNOR.htm",
    "GateOR.htm",
    "GateXNOR.htm",
    "GateXOR.htm",
    "LogicHistory.htm",
    "MacroAssignDatasheet.htm",
    "MemoryContentsWindow.htm",
    "MemoryOverview.htm",
    "TemplateEditor.htm",
    "annotation.htm",
    "deviceclock.htm",
    "deviceswitch.htm",
    "devicetag.htm",
    "interactiveinput.htm",
    "output7segment.htm",
    "outputLED.htm",
    "partscentre.htm",
    "powersupply.htm",
    "printing.htm",
    "sequencegenerator.htm",
    "tristate.htm",
};

QString Text(const THelpWindow& window) {
    return window.Browser()->document()->toPlainText();
}

// The pages a page links to, by file name.
QStringList Links(const THelpWindow& window) {
    static const QRegularExpression kHref(QStringLiteral("href=\"([^\"#]+)"));
    QStringList links;
    const QString html = window.Browser()->document()->toHtml();
    for (auto it = kHref.globalMatch(html); it.hasNext();)
        links << it.next().captured(1);
    return links;
}

} // namespace

TEST(HelpWindow, ShowsTheTopicTheProgramAsksFor) {
    THelpWindow window;
    EXPECT_EQ(window.objectName(), "HelpWindow");
    EXPECT_EQ(window.windowTitle(), "Tessivar Help");
    ShowHelpTopic(HelpFilePath(), kHelpWindowName, "GateAND.htm");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.CurrentTopic(), "GateAND.htm");
    EXPECT_TRUE(Text(window).contains("AND gate"));

    // Letter case of the topic does not matter.
    window.ShowTopic("gatenor.HTM");
    EXPECT_EQ(window.CurrentTopic(), "GateNOR.htm");
}

TEST(HelpWindow, UnknownTopicShowsNoHelpPage) {
    THelpWindow window;
    ShowHelpTopic(HelpFilePath(), kHelpWindowName, "Nonexistent<b>.htm");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.CurrentTopic(), "");
    EXPECT_TRUE(Text(window).contains("There is no help for the topic \"Nonexistent<b>.htm\""));
    window.ShowTopic("../GateAND.htm/..");
    EXPECT_EQ(window.CurrentTopic(), "");
}

TEST(HelpWindow, HelpFileOpensTheContentsListingEveryTopic) {
    THelpWindow window;
    ShowHelpFile(HelpFilePath());
    EXPECT_EQ(window.CurrentTopic(), THelpWindow::kContentsTopic);
    const QStringList links = Links(window);
    for (const QString& topic : kTopics)
        EXPECT_TRUE(links.contains(topic)) << topic.toStdString();
}

TEST(HelpWindow, EveryPageHasATitleAndWorkingLinks) {
    THelpWindow window;
    const QStringList pages = QDir(":/help").entryList(QDir::Files);
    for (const QString& topic : kTopics)
        EXPECT_TRUE(pages.contains(topic)) << topic.toStdString();
    for (const QString& page : pages) {
        window.ShowTopic(page);
        ASSERT_EQ(window.CurrentTopic(), page);
        EXPECT_FALSE(window.Browser()->documentTitle().isEmpty()) << page.toStdString();
        EXPECT_GT(Text(window).size(), 200) << page.toStdString();
        for (const QString& link : Links(window))
            EXPECT_TRUE(pages.contains(link)) << page.toStdString() << " links to " << link.toStdString();
    }
}

TEST(HelpWindow, LinksAndHistoryMoveBetweenPages) {
    THelpWindow window;
    window.ShowTopic("GateAND.htm");
    emit window.Browser()->anchorClicked(QUrl("GateNAND.htm"));
    EXPECT_EQ(window.CurrentTopic(), "GateNAND.htm");
    emit window.Browser()->anchorClicked(QUrl("NoSuchPage.htm"));
    EXPECT_EQ(window.CurrentTopic(), "");
    window.ShowTopic("tristate.htm");
    window.Browser()->backward();
    EXPECT_EQ(window.CurrentTopic(), "GateNAND.htm");
}

TEST(HelpWindow, ClosingTheWindowRemovesTheViewer) {
    { THelpWindow window; }
    // Nothing is installed any more: the calls do nothing.
    ShowHelpTopic(HelpFilePath(), kHelpWindowName, "GateAND.htm");
    ShowHelpFile(HelpFilePath());
}
