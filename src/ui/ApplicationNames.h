// The names the program gives itself: the application name, version and desktop entry.
// No display name is set: Qt appends one to every window caption that does not end
// with it ("ERROR — Quorvex Zentra"), while every caption of the program reads exactly
// its own title ("Quorvex Zentra - 1.1.15", "DumpSettings", "ERROR", "WARNING").
#pragma once

namespace zentra {

void NameApplication();

}  // namespace zentra
