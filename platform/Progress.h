// Long work off the window thread: the windows keep being drawn while it runs, and a progress bar with
// a Cancel button shows when it lasts.
#pragma once

#include <functional>
#include <string>

// Told how far the work has come, from 0 to 1; false once the user has asked to stop.
using TProgressReport = std::function<bool(double done)>;

// How long work runs before its progress bar shows; a test shortens it so that its list need not outlast it.
inline int ProgressShowMilliseconds = 500;

// Runs work on a thread of its own and returns when it has ended; an exception of work goes on to the
// caller. Meanwhile the windows are drawn but take no input, and after ProgressShowMilliseconds a modal
// window with caption, label and a progress bar shows until the end. work must touch no window.
void RunWithProgress(const std::string& caption, const std::string& label,
                     const std::function<void(const TProgressReport&)>& work);
