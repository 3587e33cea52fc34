#include "tests/support/virtual_pad.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <sstream>
#include <utility>

namespace {

SDL_JoystickID InstanceOf(SDL_Joystick* joystick) { return SDL_JoystickInstanceID(joystick); }

// The device index of an attached joystick now (indexes shift as others come and go).
int32_t DeviceIndexOf(SDL_JoystickID id) {
  for (int32_t i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) == id) return i;
  }
  return -1;
}

// The pad of the command file.
std::unique_ptr<TVirtualPad> scripted;

bool ParseValue(const std::string& text, int32_t low, int32_t high, int32_t& value) {
  const char* end = text.data() + text.size();
  const auto [rest, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && rest == end && value >= low && value <= high;
}

}  // namespace

TVirtualPad::TVirtualPad() {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = "Kestrova virtual pad";
  desc.userdata = this;
  desc.Rumble = &TVirtualPad::Rumble;
  const int32_t index = SDL_JoystickAttachVirtualEx(&desc);
  if (index < 0) return;
  joystick_ = SDL_JoystickOpen(index);
  if (joystick_ == nullptr) {
    SDL_JoystickDetachVirtual(index);
    return;
  }
  // Triggers at rest sit at the bottom of the joystick's range.
  SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0);
  SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
}

TVirtualPad::~TVirtualPad() {
  if (joystick_ == nullptr) return;
  const int32_t index = DeviceIndexOf(InstanceOf(joystick_));
  if (index >= 0) SDL_JoystickDetachVirtual(index);
  SDL_JoystickClose(joystick_);
}

void TVirtualPad::SetAxis(int32_t axis, int32_t value) {
  if (joystick_ == nullptr) return;
  if (axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT) {
    // The game controller reads a trigger's joystick range -32768..32767 scaled down to
    // 0..32767, rounding down: the smallest raw value that reads back as `value` exactly.
    const int64_t v = std::clamp(value, 0, 32767);
    value = static_cast<int32_t>((v * 65535 + 32766) / 32767 - 32768);
  }
  SDL_JoystickSetVirtualAxis(joystick_, axis, static_cast<Sint16>(std::clamp(value, -32768, 32767)));
}

void TVirtualPad::SetButton(int32_t button, bool down) {
  if (joystick_ != nullptr) SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
}

uint16_t TVirtualPad::TakeRumble() { return std::exchange(rumble_, 0); }

int TVirtualPad::Rumble(void* self, uint16_t low, uint16_t /*high*/) {
  auto* pad = static_cast<TVirtualPad*>(self);
  pad->rumble_ = std::max(pad->rumble_, low);
  return 0;
}

bool RunVirtualPadCommand(const std::string& line, std::string& error) {
  std::istringstream words(line);
  std::string command;
  std::string name;
  std::string value;
  std::string extra;
  words >> command >> name >> value >> extra;
  if (!extra.empty()) {
    error = "too many words";
    return false;
  }
  if (command == "attach" && name.empty()) {
    if (!scripted) scripted = std::make_unique<TVirtualPad>();
    if (!scripted->Attached()) {
      scripted.reset();
      error = std::string("SDL refuses a virtual pad: ") + SDL_GetError();
      return false;
    }
    return true;
  }
  if (command == "detach" && name.empty()) {
    scripted.reset();
    return true;
  }
  if (command != "axis" && command != "button") {
    error = "unknown command";
    return false;
  }
  if (!scripted) {
    error = "no pad attached";
    return false;
  }
  int32_t number = 0;
  if (command == "axis") {
    const SDL_GameControllerAxis axis = SDL_GameControllerGetAxisFromString(name.c_str());
    if (axis == SDL_CONTROLLER_AXIS_INVALID || !ParseValue(value, -32768, 32767, number)) {
      error = "needs an axis name and a value";
      return false;
    }
    scripted->SetAxis(axis, number);
    return true;
  }
  const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name.c_str());
  if (button == SDL_CONTROLLER_BUTTON_INVALID || !ParseValue(value, 0, 1, number)) {
    error = "needs a button name and 0 or 1";
    return false;
  }
  scripted->SetButton(button, number == 1);
  return true;
}
