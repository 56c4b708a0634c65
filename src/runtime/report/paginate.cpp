#include "runtime/report/paginate.h"

#include "runtime/report/document.h"

namespace report {

QList<Page> paginate(const Layout &layout)
{
    return Document(layout).pages();
}

} // namespace report
