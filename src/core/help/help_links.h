#pragma once

#include <QString>

// What a click on a link of the help browser does to the shown text.
enum class HelpLinkOutcome {
    Ignored,       // not a link of this topic: nothing changes
    Toggled,       // a continuation was opened or closed in the text
    AboutQt,       // the About page's link to Qt's about box
    LinkNotFound,  // the link is not in the text (a fault of the texts)
    MarkerMissing, // no place for the continuation after the link (same)
};

// On the About page only "#about_qt" does something. On the other topics a
// link ending in ".instext" opens the continuation named by the link after
// it, or closes it when it is open; `html` is the shown text and is changed
// in place.
HelpLinkOutcome followHelpLink(int topic, const QString &link, QString &html);

QString helpLinkNotFoundMessage();
QString helpMarkerMissingMessage();
