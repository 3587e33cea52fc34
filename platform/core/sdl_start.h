// SDL started for the event layer: its event queue and timers, no video needed. Every service
// that takes SDL's notifications (the window, the pads, the tickers, the sound) starts it first.
#pragma once

// Starts SDL's event queue and timers; false when SDL refuses. Once started, later calls do
// nothing.
bool StartEventLayer();
// Whether StartEventLayer has started them, so the pump takes SDL's notifications.
bool EventLayerStarted();
