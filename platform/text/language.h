// The language of every text the game shows. The game writes its texts in German, its own
// language; Tr gives a text in the language in force, from the gettext catalogue
// (LANG/LC_MESSAGES/kestrova.mo) of that language.
#pragma once
#include <string>
#include <vector>

enum class TLanguage { German, English };

// From now on Tr answers in this language. Its catalogue is read on first use and kept, so
// switching back and forth takes effect at once.
void UseLanguage(TLanguage language);
TLanguage LanguageInForce();

// The desktop's language: German when the first of LC_ALL, LC_MESSAGES and LANG that is set
// starts with "de", English otherwise.
TLanguage DesktopLanguage();

// The folder holding LANG/LC_MESSAGES/kestrova.mo. By default the "locale" folder beside the
// program when it has one (a build folder), else the installation's locale folder; a new
// folder forgets the catalogues read so far.
void UseCatalogueFolder(const std::string& folder);
std::string CatalogueFolder();

// `german` (UTF-8) in the language in force; the German text itself when the catalogue lacks
// it or cannot be read.
std::string Tr(const std::string& german);

// `german`, a whole sentence with a "%s" for each number or name, in the language in force
// with the "%s" filled by `values` in order. Each language keeps them in the German order
// (German and English need no other), so no "%1$s"; msgfmt --check holds every translation
// to the same count of them.
std::string TrFill(const std::string& german, const std::vector<std::string>& values);

// Marks a text for the catalogues where it is written down and translated later, with Tr,
// where it is shown.
constexpr const char* TrLater(const char* german) { return german; }
