#include "runtime/controls/pendingrow.h"

#include "runtime/forms/form.h"
#include "runtime/forms/messages.h"

namespace pendingrow {

const char *const Question = "Data belum disimpan. Simpan sekarang?";

bool resolve(Dataset &dataset, const std::function<bool()> &store, const std::function<void()> &drop)
{
    if (!dataset.isActive() || !dataset.isEditing())
        return true;
    if (!dataset.takeTypedText()) {
        drop();
        return true;
    }
    switch (messages::confirmationYesNoCancel(QString::fromLatin1(Question))) {
    case mrYes:
        return store() && !dataset.isEditing();
    case mrNo:
        drop();
        return true;
    default:
        return false;
    }
}

bool resolve(Dataset &dataset)
{
    return resolve(
        dataset, [&dataset] { return messages::guard([&dataset] { dataset.post(); }); },
        [&dataset] { dataset.cancel(); });
}

} // namespace pendingrow
