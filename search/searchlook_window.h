#pragma once
// The look of the search windows: the dark ground of the option labels, with picture
// buttons that stay legible on it.

class QDialog;

namespace kv {

// Once the window's controls are made.
void setSearchWindowLook(QDialog* dialog);

}  // namespace kv
