#include "frontends/window/settings_file.hpp"

#include <cstdint>
#include <span>
#include <vector>

#include "platform/config_folder.hpp"
#include "platform/files.hpp"

namespace peltrix {

namespace {

// Far more than the format ever needs; a larger file is no settings file of ours.
constexpr std::size_t kMaxSettingsBytes = 64 * 1024;

std::string passedOver(const std::string& path, const std::string& reason) {
  return "ignoring the settings file " + path + " (" + reason +
         "): the window starts with its default choices";
}

}  // namespace

std::string windowSettingsPath() {
  const std::string folder = userConfigFolder("peltrix");
  return folder.empty() ? "" : joinPath(folder, "window-settings.txt");
}

LoadedChoices loadWindowChoices(const std::string& path) {
  if (path.empty() || !pathExists(path)) return {};
  std::vector<uint8_t> bytes;
  try {
    bytes = readWholeFile(path, kMaxSettingsBytes);
  } catch (const FileReadError& e) {
    return {std::nullopt, passedOver(path, e.what())};
  }
  ParsedChoices parsed = parseWindowChoices(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!parsed.choices) return {std::nullopt, passedOver(path, parsed.problem)};
  return {parsed.choices, ""};
}

void saveWindowChoices(const std::string& path, const WindowChoices& choices) {
  createFolders(splitPath(path).folder);
  const std::string text = formatWindowChoices(choices);
  AtomicFile file(path);
  file.write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  file.commit();
}

}  // namespace peltrix
