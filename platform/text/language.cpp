#include "platform/text/language.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

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

// Where a .mo table entry (length, offset) names its string; false when it lies outside the file.
bool Entry(const std::string& mo, size_t at, bool swapped, uint32_t& length, uint32_t& offset) {
  if (!Word(mo, at, swapped, length) || !Word(mo, at + 4, swapped, offset)) return false;
  return offset <= mo.size() && mo.size() - offset >= length;
}

// Why the .mo file `mo` is no catalogue, or empty when its tables are sound: every string lies
// inside the file and no two share a byte, so the catalogue never takes more than the file.
std::string Damage(const std::string& mo, bool swapped, uint32_t count, uint32_t originals, uint32_t translations,
                   std::vector<std::pair<uint32_t, uint32_t>>& strings) {
  for (const uint32_t table : {originals, translations}) {
    if (table > mo.size() || (mo.size() - table) / 8 < count) return "its tables reach beyond its end";
  }
  strings.reserve(2 * static_cast<size_t>(count));
  for (uint32_t i = 0; i < count; ++i) {
    for (const uint32_t table : {originals, translations}) {
      uint32_t length = 0;
      uint32_t offset = 0;
      if (!Entry(mo, table + 8 * static_cast<size_t>(i), swapped, length, offset)) {
        return "a string reaches beyond its end";
      }
      strings.emplace_back(offset, length);
    }
  }
  std::vector<std::pair<uint32_t, uint32_t>> sorted = strings;
  std::sort(sorted.begin(), sorted.end());
  uint64_t end = 0;
  for (const auto& [offset, length] : sorted) {
    if (length == 0) continue;
    if (offset < end) return "its strings overlap";
    end = static_cast<uint64_t>(offset) + length;
  }
  return {};
}

// The translations of a .mo file: msgid to msgstr, the header and empty ones left out. A file
// that cannot be read or is damaged gives none, said on stderr, and the texts stay German.
TCatalogue ReadCatalogue(const std::string& path) {
  TCatalogue catalogue;
  std::string mo;
  std::string why;
  if (!ReadFileWhole(path, kMostCatalogueBytes, "a catalogue", mo, why)) {
    if (!why.empty()) std::fprintf(stderr, "Kestrova: warning: cannot read %s: %s\n", path.c_str(), why.c_str());
    return catalogue;
  }
  const auto refuse = [&](const std::string& damage) {
    std::fprintf(stderr, "Kestrova: warning: the catalogue %s is damaged: %s; the texts stay German\n", path.c_str(),
                 damage.c_str());
    return TCatalogue{};
  };
  uint32_t magic = 0;
  if (!Word(mo, 0, false, magic)) return refuse("it is too short");
  const bool swapped = magic != kMoMagic;
  if (swapped && __builtin_bswap32(magic) != kMoMagic) return refuse("it is no .mo file");
  uint32_t count = 0;
  uint32_t originals = 0;
  uint32_t translations = 0;
  if (!Word(mo, 8, swapped, count) || !Word(mo, 12, swapped, originals) || !Word(mo, 16, swapped, translations)) {
    return refuse("it is too short");
  }
  std::vector<std::pair<uint32_t, uint32_t>> strings;
  const std::string damage = Damage(mo, swapped, count, originals, translations, strings);
  if (!damage.empty()) return refuse(damage);
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    const auto& [idAt, idLength] = strings[i];
    const auto& [textAt, textLength] = strings[i + 1];
    if (idLength > 0 && textLength > 0) catalogue.emplace(mo.substr(idAt, idLength), mo.substr(textAt, textLength));
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
