#include "platform/text/language.h"

namespace {
TLanguage inForce = TLanguage::German;
}  // namespace

void UseLanguage(TLanguage language) { inForce = language; }

TLanguage LanguageInForce() { return inForce; }

// Until the catalogues exist every language reads the German text.
std::string Tr(const std::string& german) { return german; }
