#pragma once

#include <QLocale>

namespace orvane::quick {

// Shows the SDK's default texts (StoryUIStrings::default_() and the views' own labels) in the
// language of `locale`, from the translations built into the library: German, Polish and Arabic.
// Nothing is loaded unless the host calls this; without a call, or for a language the library has
// no translation of, the texts stay English. The default argument is the application's default
// QLocale (the system's, unless the host called QLocale::setDefault).
//
// Call again at any time to switch language: views on screen follow at once, the session, seen
// groups and votes stay. Texts the host configured in StoryUIStrings are never translated.
// Call on the GUI thread after the QGuiApplication exists. Returns whether the texts are now in
// that language (always for English).
bool loadStoryTranslations(const QLocale& locale = QLocale());

}  // namespace orvane::quick
