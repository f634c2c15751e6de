#pragma once

#include <functional>
#include <string>

class QWidget;

// Message box with an OK button; answers IDOK once the user closed it.
// Tests replace the box with a hook that sees the text and returns a chosen
// answer at once (a GUI test never blocks on a modal box).
int MessageBox(const std::string& text, QWidget* parent = nullptr);

using MessageBoxHook = std::function<int(const std::string& text)>;
// An empty hook restores the real box. UI thread only.
void SetMessageBoxHook(MessageBoxHook hook);
