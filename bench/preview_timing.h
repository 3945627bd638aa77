// How long the user waits between pressing a preview button and the sound starting.
#pragma once

#include <chrono>
#include <functional>

#include "fakes.h"
#include "resources/resource_ids.h"

// Opens the Sound Preview with `open` and measures until its window is up and playing:
// the dialog procedure has run StartPreview by the time the user's script runs.
inline double TimeOnePreview(const std::function<void()>& open) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point started;
  double milliseconds = 0;
  fake::Script(IDD_SOUND_PREVIEW, [&](fake::Window& preview) {
    milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    fake::Click(preview, IDC_PREVIEW_OK);
  });
  started = Clock::now();
  open();
  return milliseconds;
}
