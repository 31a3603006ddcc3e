#pragma once

#include <QString>

// The web pages the editor and the studio's Help menu open in the author's
// browser.
inline const QString TBXEjunkieTrialURL = QStringLiteral("https://www.e-junkie.com/wiki/help-account-billing");
inline const QString TBXSisowRegistrationURL = QStringLiteral("https://www.sisow.nl/aanmelden");
inline const QString TBXDocumentationURL = QStringLiteral("https://docs.tillbox.example/");
