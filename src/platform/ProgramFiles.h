#pragma once

namespace platform {

// The program files installed side by side in the program directory. Linux programs carry no
// extension, so these are the whole file names.
inline constexpr char kQorvaneFile[] = "Qorvane";    // the search assistant
inline constexpr char kTessalyFile[] = "Tessaly";    // the updater
inline constexpr char kBrannickFile[] = "Brannick";  // the vendor's copier, started by the updater

}  // namespace platform
