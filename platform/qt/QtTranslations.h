#pragma once
// Qt's own translations of its standard labels.

namespace sorvak::platform {

// Loads Qt's own translations for the user's language into the application,
// once, so that the dialog's standard labels are in that language.
void InstallQtTranslations();

} // namespace sorvak::platform
