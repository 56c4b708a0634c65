#include "runtime/db/walk.h"

#include "runtime/db/dataset.h"

DatasetWalk::DatasetWalk(Dataset &dataset, Mode mode) : m_dataset(dataset), m_quiet(mode == Mode::Quiet)
{
    if (!m_quiet) {
        m_dataset.first();
        return;
    }
    m_dataset.prepareMove();
    const bool any = m_dataset.doHasRow(0);
    m_dataset.m_buffer = any ? m_dataset.readRow(0) : m_dataset.emptyRow();
    m_dataset.m_current = any ? 0 : -1;
    m_dataset.m_bof = true;
    m_dataset.m_eof = !any;
}

DatasetWalk::~DatasetWalk()
{
    // Unwinding from an error of the table layer: the dataset must still
    // tell where it stands, but a second error cannot be thrown from here.
    try {
        finish();
    } catch (...) {
    }
}

bool DatasetWalk::atEnd() const
{
    return m_dataset.eof();
}

void DatasetWalk::next()
{
    if (!m_quiet) {
        m_dataset.next();
        return;
    }
    Dataset &d = m_dataset;
    d.m_bof = false;
    if (d.m_current >= 0 && d.doHasRow(d.m_current + 1)) {
        d.m_eof = false;
        d.m_buffer = d.readRow(d.m_current + 1);
        ++d.m_current;
        return;
    }
    d.m_eof = true;
}

void DatasetWalk::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_quiet)
        emit m_dataset.recordChanged();
}
