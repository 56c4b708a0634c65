#pragma once

class Dataset;

// Walks every row of a dataset, from the first to the last, as
// `for (first(); !eof(); next())` does, for a report or a sum.
//
// Quiet (the default): the rows become current one after the other without
// a signal, so bound controls do not repaint and detail datasets do not
// re-read their rows at every step; finish() (or the destructor) then tells
// them once where the walk ended. Afterwards the dataset stands exactly where
// the ordinary loop leaves it: on its last row, eof() set, its details and
// controls following that row.
//
// A walk that must be seen at every step (a layout that prints a detail
// dataset of the walked one) asks for a loud walk: the ordinary cursor.
class DatasetWalk {
public:
    enum class Mode { Quiet, Loud };

    // Settles a pending row first, as first() does; opens nothing.
    explicit DatasetWalk(Dataset &dataset, Mode mode = Mode::Quiet);
    ~DatasetWalk();
    DatasetWalk(const DatasetWalk &) = delete;
    DatasetWalk &operator=(const DatasetWalk &) = delete;

    bool atEnd() const;
    void next();
    // Tells the dataset's listeners where it stands; later calls do nothing.
    void finish();

private:
    Dataset &m_dataset;
    const bool m_quiet;
    bool m_finished = false;
};
