#include "platform/text/language.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include "platform/files/whole_file.h"
#include "platform/system/startup.h"

namespace {

using TCatalogue = std::unordered_map<std::string, std::string>;

struct TLanguageState {
  TLanguage inForce = TLanguage::German;
  std::optional<std::string> folder;                    // unset: found on first use
  std::array<std::optional<TCatalogue>, 2> catalogues;  // by TLanguage, read on first use
};

TLanguageState state;

constexpr uint32_t kMoMagic = 0x950412de;
// The game's catalogues take some tens of kilobytes; a larger file is none of them.
constexpr int64_t kMostCatalogueBytes = 16 << 20;

const char* Code(TLanguage language) { return language == TLanguage::German ? "de" : "en"; }

// A 32-bit word of a .mo file at `at`, in the file's byte order; false past the end.
bool Word(const std::string& mo, size_t at, bool swapped, uint32_t& word) {
  if (at > mo.size() || mo.size() - at < 4) return false;
  std::memcpy(&word, mo.data() + at, 4);
  if (swapped) word = __builtin_bswap32(word);
  return true;
}

// The string a .mo table entry (length, offset) names; false when it lies outside the file.
bool Entry(const std::string& mo, size_t at, bool swapped, std::string& text) {
  uint32_t length = 0;
  uint32_t offset = 0;
  if (!Word(mo, at, swapped, length) || !Word(mo, at + 4, swapped, offset)) return false;
  if (offset > mo.size() || mo.size() - offset < length) return false;
  text.assign(mo, offset, length);
  return true;
}

// The translations of a .mo file: msgid to msgstr, the header and empty ones left out. An
// unreadable or damaged file gives what was read before the damage.
TCatalogue ReadCatalogue(const std::string& path) {
  TCatalogue catalogue;
  std::string mo;
  std::string why;
  ReadFileWhole(path, kMostCatalogueBytes, "a catalogue", mo, why);
  uint32_t magic = 0;
  if (!Word(mo, 0, false, magic)) return catalogue;
  const bool swapped = magic != kMoMagic;
  if (swapped && __builtin_bswap32(magic) != kMoMagic) return catalogue;
  uint32_t count = 0;
  uint32_t originals = 0;
  uint32_t translations = 0;
  if (!Word(mo, 8, swapped, count) || !Word(mo, 12, swapped, originals) || !Word(mo, 16, swapped, translations)) {
    return catalogue;
  }
  for (uint32_t i = 0; i < count; ++i) {
    std::string id;
    std::string text;
    if (!Entry(mo, originals + 8 * static_cast<size_t>(i), swapped, id) ||
        !Entry(mo, translations + 8 * static_cast<size_t>(i), swapped, text)) {
      break;
    }
    if (!id.empty() && !text.empty()) catalogue.emplace(std::move(id), std::move(text));
  }
  return catalogue;
}

std::string FoundFolder() {
  namespace fs = std::filesystem;
  const std::string program = ProgramFolder();
  if (program.empty()) return {};
  std::error_code error;
  const fs::path beside = fs::path(program) / "locale";
  if (fs::is_directory(beside, error)) return beside.string();
  return (fs::path(program) / KESTROVA_INSTALLED_LOCALE).lexically_normal().string();
}

const TCatalogue& Catalogue(TLanguage language) {
  std::optional<TCatalogue>& catalogue = state.catalogues[static_cast<size_t>(language)];
  if (!catalogue) catalogue = ReadCatalogue(CatalogueFolder() + "/" + Code(language) + "/LC_MESSAGES/kestrova.mo");
  return *catalogue;
}

}  // namespace

void UseLanguage(TLanguage language) { state.inForce = language; }

TLanguage LanguageInForce() { return state.inForce; }

TLanguage DesktopLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] == '\0') continue;
    return std::strncmp(value, "de", 2) == 0 ? TLanguage::German : TLanguage::English;
  }
  return TLanguage::English;
}

void UseCatalogueFolder(const std::string& folder) {
  state.folder = folder;
  for (std::optional<TCatalogue>& c : state.catalogues) c.reset();
}

std::string CatalogueFolder() {
  if (!state.folder) state.folder = FoundFolder();
  return *state.folder;
}

std::string Tr(const std::string& german) {
  const TCatalogue& catalogue = Catalogue(state.inForce);
  const auto found = catalogue.find(german);
  return found == catalogue.end() ? german : found->second;
}

std::string TrFill(const std::string& german, const std::vector<std::string>& values) {
  std::string text = Tr(german);
  size_t at = 0;
  for (const std::string& value : values) {
    at = text.find("%s", at);
    if (at == std::string::npos) break;
    text.replace(at, 2, value);
    at += value.size();
  }
  return text;
}
