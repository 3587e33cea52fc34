// wl_input: a virtual mouse and keyboard for a Wayland compositor with the wlroots virtual
// pointer and the virtual keyboard protocols (sway has both), for the end-to-end tests.
//
// Why not swaymsg and wtype: `swaymsg seat - cursor move` warps the cursor past a pointer lock
// and sends absolute motion only, so a client in SDL's relative mouse mode loses the pointer
// instead of hearing relative motion; wtype adds a new keyboard each time it runs, and sway
// takes the keyboard focus from the focused window and gives it back whenever a keyboard is
// added, which a game sees as losing and regaining focus. Here one mouse and one keyboard stay
// for as long as the program runs, and their motion goes through the compositor's input path
// like a real mouse's, relative pointer events included.
//
//   wl_input -   reads commands from stdin, one line each, answering "ok" (or "error") on
//                stdout once the compositor has handled the line; the devices stay until stdin
//                closes
// Commands:
//   move DX DY                 relative motion, in logical pixels (fractions allowed)
//   abs X Y W H                the cursor to X,Y of a W x H extent spread over all outputs
//   press B | release B | click B    a mouse button: 1 left, 2 middle, 3 right
//   key K                      a key pressed and let go, by its X keysym name (a, 5, Escape,
//                              Left, F1...), on a US layout
//
// The protocols' interfaces are written out by hand below (what wayland-scanner would make of
// their XML, which no Debian package ships), so this needs nothing but libwayland-client.
#define _GNU_SOURCE
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

// --- zwlr_virtual_pointer_manager_v1, zwlr_virtual_pointer_v1, version 1 -------------------
extern const struct wl_interface zwlr_virtual_pointer_v1_interface;
static const struct wl_interface* no_types[] = {NULL, NULL, NULL, NULL, NULL};
static const struct wl_interface* pointer_create_types[] = {&wl_seat_interface, &zwlr_virtual_pointer_v1_interface};
static const struct wl_message pointer_manager_requests[] = {
    {"create_virtual_pointer", "?on", pointer_create_types},
    {"destroy", "", no_types},
};
const struct wl_interface zwlr_virtual_pointer_manager_v1_interface = {"zwlr_virtual_pointer_manager_v1", 1, 2,
                                                                       pointer_manager_requests,          0, NULL};
static const struct wl_message pointer_requests[] = {
    {"motion", "uff", no_types},   {"motion_absolute", "uuuuu", no_types},
    {"button", "uuu", no_types},   {"axis", "uuf", no_types},
    {"frame", "", no_types},       {"axis_source", "u", no_types},
    {"axis_stop", "uu", no_types}, {"axis_discrete", "uufi", no_types},
    {"destroy", "", no_types},
};
const struct wl_interface zwlr_virtual_pointer_v1_interface = {"zwlr_virtual_pointer_v1", 1, 9,
                                                               pointer_requests,          0, NULL};
enum { kMotion, kMotionAbsolute, kButton, kAxis, kFrame, kAxisSource, kAxisStop, kAxisDiscrete, kPointerDestroy };

// --- zwp_virtual_keyboard_manager_v1, zwp_virtual_keyboard_v1, version 1 -------------------
extern const struct wl_interface zwp_virtual_keyboard_v1_interface;
static const struct wl_interface* keyboard_create_types[] = {&wl_seat_interface, &zwp_virtual_keyboard_v1_interface};
static const struct wl_message keyboard_manager_requests[] = {
    {"create_virtual_keyboard", "on", keyboard_create_types},
};
const struct wl_interface zwp_virtual_keyboard_manager_v1_interface = {"zwp_virtual_keyboard_manager_v1", 1, 1,
                                                                       keyboard_manager_requests,         0, NULL};
static const struct wl_message keyboard_requests[] = {
    {"keymap", "uhu", no_types},
    {"key", "uuu", no_types},
    {"modifiers", "uuuu", no_types},
    {"destroy", "", no_types},
};
const struct wl_interface zwp_virtual_keyboard_v1_interface = {"zwp_virtual_keyboard_v1", 1, 4,
                                                               keyboard_requests,         0, NULL};
enum { kKeymap, kKey, kModifiers, kKeyboardDestroy };
// --------------------------------------------------------------------------------------------

// The compositor compiles this with its own XKB data: a plain US keyboard.
static const char kKeymapText[] =
    "xkb_keymap {\n"
    "  xkb_keycodes { include \"evdev+aliases(qwerty)\" };\n"
    "  xkb_types { include \"complete\" };\n"
    "  xkb_compat { include \"complete\" };\n"
    "  xkb_symbols { include \"pc+us+inet(evdev)\" };\n"
    "};\n";

// Key names to Linux key codes (linux/input-event-codes.h), for the keys a game may want.
static const struct {
  const char* name;
  int code;
} kKeys[] = {
    {"Escape", 1},   {"1", 2},          {"2", 3},           {"3", 4},          {"4", 5},        {"5", 6},
    {"6", 7},        {"7", 8},          {"8", 9},           {"9", 10},         {"0", 11},       {"minus", 12},
    {"equal", 13},   {"BackSpace", 14}, {"Tab", 15},        {"q", 16},         {"w", 17},       {"e", 18},
    {"r", 19},       {"t", 20},         {"y", 21},          {"u", 22},         {"i", 23},       {"o", 24},
    {"p", 25},       {"Return", 28},    {"Control_L", 29},  {"a", 30},         {"s", 31},       {"d", 32},
    {"f", 33},       {"g", 34},         {"h", 35},          {"j", 36},         {"k", 37},       {"l", 38},
    {"Shift_L", 42}, {"z", 44},         {"x", 45},          {"c", 46},         {"v", 47},       {"b", 48},
    {"n", 49},       {"m", 50},         {"comma", 51},      {"period", 52},    {"slash", 53},   {"Shift_R", 54},
    {"Alt_L", 56},   {"space", 57},     {"F1", 59},         {"F2", 60},        {"F3", 61},      {"F4", 62},
    {"F5", 63},      {"F6", 64},        {"F7", 65},         {"F8", 66},        {"F9", 67},      {"F10", 68},
    {"F11", 87},     {"F12", 88},       {"KP_Enter", 96},   {"Control_R", 97}, {"Alt_R", 100},  {"Home", 102},
    {"Up", 103},     {"Prior", 104},    {"Page_Up", 104},   {"Left", 105},     {"Right", 106},  {"End", 107},
    {"Down", 108},   {"Next", 109},     {"Page_Down", 109}, {"Insert", 110},   {"Delete", 111}, {"Pause", 119},
};

static struct wl_display* display;
static struct wl_seat* seat;
static struct wl_proxy* pointer_manager;
static struct wl_proxy* keyboard_manager;
static struct wl_proxy* pointer;
static struct wl_proxy* keyboard;

static void Global(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  (void)data;
  (void)version;
  if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    pointer_manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
  else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
    keyboard_manager = wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
  else if (strcmp(interface, wl_seat_interface.name) == 0 && !seat)
    seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
}
static void GlobalRemove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}
static const struct wl_registry_listener registry_listener = {Global, GlobalRemove};

// Event times in milliseconds; clients only compare them with each other.
static uint32_t Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

static int ButtonCode(const char* name) {
  switch (atoi(name)) {
    case 1:
      return 0x110;  // BTN_LEFT
    case 2:
      return 0x112;  // BTN_MIDDLE
    case 3:
      return 0x111;  // BTN_RIGHT
  }
  return -1;
}

static int KeyCode(const char* name) {
  for (size_t i = 0; i < sizeof kKeys / sizeof kKeys[0]; ++i)
    if (strcasecmp(kKeys[i].name, name) == 0) return kKeys[i].code;
  return -1;
}

static void Key(int code, int pressed) {
  wl_proxy_marshal(keyboard, kKey, Now(), (uint32_t)code,
                   pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
}

static int Connect(void) {
  display = wl_display_connect(NULL);
  if (!display) {
    fprintf(stderr, "wl_input: cannot connect to the Wayland display\n");
    return 0;
  }
  struct wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, NULL);
  wl_display_roundtrip(display);
  if (!pointer_manager || !keyboard_manager || !seat) {
    fprintf(stderr, "wl_input: the compositor lacks the virtual pointer or keyboard protocol\n");
    return 0;
  }
  // No seat for the pointer: the compositor's default one.
  pointer = wl_proxy_marshal_constructor(pointer_manager, 0, &zwlr_virtual_pointer_v1_interface, NULL, NULL);
  // In place, as a mouse plugged in would be, before it is used.
  return wl_display_roundtrip(display) >= 0;
}

// One keyboard for the program's whole life: sway takes the keyboard focus away and gives it
// back whenever a keyboard is added.
static int AddKeyboard(void) {
  keyboard = wl_proxy_marshal_constructor(keyboard_manager, 0, &zwp_virtual_keyboard_v1_interface, seat, NULL);
  const int fd = memfd_create("keymap", MFD_CLOEXEC);
  if (fd < 0 || write(fd, kKeymapText, sizeof kKeymapText) != (ssize_t)sizeof kKeymapText) {
    fprintf(stderr, "wl_input: cannot write the keymap\n");
    exit(1);
  }
  // The size counts the terminating zero, which the compositor expects inside the map.
  wl_proxy_marshal(keyboard, kKeymap, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, (uint32_t)sizeof kKeymapText);
  close(fd);
  return wl_display_roundtrip(display) >= 0;
}

// Runs the command at words[0]; returns how many words it took, 0 when they make no command.
static int Run(char** words, int count) {
  const char* command = words[0];
  const int args = count - 1;
  if (strcmp(command, "move") == 0 && args >= 2) {
    wl_proxy_marshal(pointer, kMotion, Now(), wl_fixed_from_double(atof(words[1])),
                     wl_fixed_from_double(atof(words[2])));
    wl_proxy_marshal(pointer, kFrame);
    return 3;
  }
  if (strcmp(command, "abs") == 0 && args >= 4) {
    wl_proxy_marshal(pointer, kMotionAbsolute, Now(), (uint32_t)atoi(words[1]), (uint32_t)atoi(words[2]),
                     (uint32_t)atoi(words[3]), (uint32_t)atoi(words[4]));
    wl_proxy_marshal(pointer, kFrame);
    return 5;
  }
  if ((strcmp(command, "press") == 0 || strcmp(command, "release") == 0 || strcmp(command, "click") == 0) &&
      args >= 1 && ButtonCode(words[1]) >= 0) {
    const int button = ButtonCode(words[1]);
    if (command[0] != 'r') {
      wl_proxy_marshal(pointer, kButton, Now(), button, WL_POINTER_BUTTON_STATE_PRESSED);
      wl_proxy_marshal(pointer, kFrame);
    }
    if (command[0] != 'p') {
      wl_proxy_marshal(pointer, kButton, Now(), button, WL_POINTER_BUTTON_STATE_RELEASED);
      wl_proxy_marshal(pointer, kFrame);
    }
    return 2;
  }
  if (strcmp(command, "key") == 0 && args >= 1 && KeyCode(words[1]) >= 0) {
    const int code = KeyCode(words[1]);
    Key(code, 1);
    Key(code, 0);
    return 2;
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 2 || strcmp(argv[1], "-") != 0) {
    fprintf(stderr, "usage: wl_input -\n");
    return 2;
  }
  if (!Connect() || !AddKeyboard()) return 1;
  char line[256];
  while (fgets(line, sizeof line, stdin)) {
    char* words[8];
    int count = 0;
    for (char* word = strtok(line, " \t\r\n"); word && count < 8; word = strtok(NULL, " \t\r\n"))
      words[count++] = word;
    if (count == 0) continue;
    const int ran = Run(words, count) == count;
    // Answered once the compositor has handled the line.
    if (wl_display_roundtrip(display) < 0) return 1;
    printf("%s\n", ran ? "ok" : "error");
    fflush(stdout);
  }
  // Keys and buttons still held are let go of by the compositor when the devices go.
  wl_proxy_marshal(pointer, kPointerDestroy);
  wl_proxy_destroy(pointer);
  wl_proxy_marshal(keyboard, kKeyboardDestroy);
  wl_proxy_destroy(keyboard);
  const int status = wl_display_roundtrip(display) < 0 ? 1 : 0;
  wl_display_disconnect(display);
  return status;
}
