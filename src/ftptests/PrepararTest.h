// Writes the four local test files before a run, showing the preparation
// panel; a failure is reported once and does not stop the run.
#pragma once

#include "views/Dialogs.h"
#include "views/PrepareView.h"

#include <chrono>
#include <cstdint>
#include <filesystem>

namespace pordane::ftptests {

inline constexpr int GaugePrepararTestMax = 4;
inline constexpr std::chrono::milliseconds PrepararTestSettle{100};

// Writes test.txt, test.jpg, test.mdb and speedmeter.txt (SizeTest bytes) in
// that order into dir (empty: the working directory), moving the gauge 0..4,
// then waits 100 ms while pumping the window. At the first failure the later
// files are skipped and "Error preparando files de test. Compruebe sus
// permissions de user" is shown. The panel is hidden in every case.
// Returns true when all four files were written.
bool PrepararTest(views::PrepareView& view, views::Dialogs& dialogs, std::int32_t SizeTest,
                  const std::filesystem::path& dir = {});

} // namespace pordane::ftptests
