#pragma once

// The help calls. The core only forwards them: the GUI installs the viewer that shows the topics, and
// without one the calls do nothing.

#include <QString>

#include <functional>

// Path of the help file, the help window's name, and the topic page; an empty topic asks for the
// contents.
using THelpHandler =
    std::function<void(const QString& path, const QString& windowName, const QString& topic)>;

// Replaces the viewer; an empty handler removes it.
void SetHelpHandler(THelpHandler handler);
// The help file at its contents page.
void ShowHelpFile(const QString& path);
// The help file at a topic page such as "GateAND.htm", in the named help window.
void ShowHelpTopic(const QString& path, const QString& windowName, const QString& topic);
// "Tessivar.chm" in the program's folder.
QString HelpFilePath();

// The help window every caller opens its topics in.
inline const QString kHelpWindowName = QStringLiteral("PopWindow");
