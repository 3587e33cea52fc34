// The language of every text the game shows. The game writes its texts in German, its own
// language; Tr gives a text in the language in force.
#pragma once
#include <string>

enum class TLanguage { German, English };

// From now on Tr answers in this language.
void UseLanguage(TLanguage language);
TLanguage LanguageInForce();

// `german` (UTF-8) in the language in force; the same text for German.
std::string Tr(const std::string& german);
