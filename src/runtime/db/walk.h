#pragma once

#include "runtime/db/dataset.h"

// Walks every row of a dataset, from the first to the last, as
// `for (first(); !eof(); next())` does, for a report or a sum.
//
// Quiet (the default): the rows become current one after the other without
// a signal, so bound controls do not repaint and detail datasets do not
// re-read their rows at every step. Positions: the same, but the rows
// passed are not even read, for a walker that reads them later by position
// (rowAt()); only the row the walk ends on is. Either way finish() (or the
// destructor) then tells everybody once where the walk ended, and the
// dataset stands exactly where the ordinary loop leaves it: on its last
// row, eof() set, its details and controls following that row.
//
// Loud: the ordinary cursor, for a walk that must be seen at every step (a
// layout that prints a detail dataset of the walked one).
class DatasetWalk {
public:
    enum class Mode { Quiet, Positions, Loud };

    // Settles a pending row first, as first() does; opens nothing.
    explicit DatasetWalk(Dataset &dataset, Mode mode = Mode::Quiet);
    ~DatasetWalk();
    DatasetWalk(const DatasetWalk &) = delete;
    DatasetWalk &operator=(const DatasetWalk &) = delete;

    bool atEnd() const;
    void next();
    // The position (0-based) of the row the walk stands on.
    int position() const;
    // Tells the dataset's listeners where it stands; later calls do nothing.
    void finish();

    // The row at a position of the dataset's current range, stored and
    // calculated fields, without moving its cursor; empty when there is no
    // such row.
    static Row rowAt(const Dataset &dataset, int position);

private:
    Dataset &m_dataset;
    const Mode m_mode;
    bool m_finished = false;
};
