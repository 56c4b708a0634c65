#pragma once

#include <QWidget>

#include <functional>

class QKeyEvent;

// Key-press filters: the handler receives the character code by reference
// (Backspace 8, Enter 13, Escape 27, Ctrl+C 3, Ctrl+V 22, Ctrl+X 24,
// printable characters as themselves) before the control acts on it;
// setting it to 0 discards the key. Keys without a character are not filtered.
namespace keys {

using KeyPressHandler = std::function<void(int &key)>;

// The character code of a key press, or 0 for keys that deliver none.
int charCode(const QKeyEvent *event);

// A handler that changes the code makes the control receive that character
// instead; one that throws discards the key (after the standard error box).
// Copy, paste and cut (Ctrl+C/V/X) reach the handler before any shortcut.
void onKeyPress(QWidget *widget, KeyPressHandler handler);
// Runs on a left-button click into the widget (not when reached by keyboard),
// once the control has handled the click itself.
void onClick(QWidget *widget, std::function<void()> handler);

} // namespace keys
