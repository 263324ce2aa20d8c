#pragma once

#include <QString>

// The language of a voice's locale ("en_US", "de", "pt_BR") by its Russian
// name: "Английский", "Немецкий", "Португальский". A language without a
// Russian name here is named as Qt names it in English, and an unknown
// locale by its code, so the list never shows an empty name or a script
// the interface font may lack.
QString russianLanguageName(const QString &localeName);

// The item of the speech language list: "Английский (en_US)".
QString speechLanguageLabel(const QString &localeName);
