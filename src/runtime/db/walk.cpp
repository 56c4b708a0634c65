#include "runtime/db/walk.h"

DatasetWalk::DatasetWalk(Dataset &dataset, Mode mode) : m_dataset(dataset), m_mode(mode)
{
    if (m_mode == Mode::Loud) {
        m_dataset.first();
        return;
    }
    Dataset &d = m_dataset;
    d.prepareMove();
    const bool any = d.doHasRow(0);
    if (m_mode == Mode::Quiet)
        d.m_buffer = any ? d.readRow(0) : d.emptyRow();
    d.m_current = any ? 0 : -1;
    d.m_bof = true;
    d.m_eof = !any;
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

int DatasetWalk::position() const
{
    return m_dataset.m_current;
}

void DatasetWalk::next()
{
    if (m_mode == Mode::Loud) {
        m_dataset.next();
        return;
    }
    Dataset &d = m_dataset;
    d.m_bof = false;
    if (d.m_current >= 0 && d.doHasRow(d.m_current + 1)) {
        d.m_eof = false;
        if (m_mode == Mode::Quiet)
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
    if (m_mode == Mode::Loud)
        return;
    Dataset &d = m_dataset;
    if (m_mode == Mode::Positions)
        d.m_buffer = d.m_current >= 0 ? d.readRow(d.m_current) : d.emptyRow();
    emit d.recordChanged();
}

Row DatasetWalk::rowAt(const Dataset &dataset, int position)
{
    if (!dataset.isActive() || !dataset.doHasRow(position))
        return {};
    return dataset.readRow(position);
}
