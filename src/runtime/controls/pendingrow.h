#pragma once

#include "runtime/db/dataset.h"

#include <functional>

// Before a window closes (or the program ends) on a row that is still being
// inserted or edited: an unchanged row is dropped without a word; for a
// changed one the clerk chooses to store it (Ya, through `store`, which
// returns false when the row was refused and stays), to drop it (Tidak,
// through `drop`) or to go back to it (Batal). True when no row stands in
// the way any more.
namespace pendingrow {

extern const char *const Question;   // "Data belum disimpan. Simpan sekarang?"

bool resolve(Dataset &dataset, const std::function<bool()> &store, const std::function<void()> &drop);
// Storing is a post with every usual check, dropping a cancel.
bool resolve(Dataset &dataset);

} // namespace pendingrow
