#include "process/qt/ProcessListModel.h"

namespace kelvora {

ProcessListModel::ProcessListModel(QObject* parent) : QAbstractListModel(parent) {}

void ProcessListModel::beginRebuild() {
    if (rebuilding_)
        return;
    rebuilding_ = true;
    beginResetModel();
    // Kept for the next rebuild, which is about as long, unless the list has shrunk a lot.
    if (text_.capacity() > 2 * text_.size() + 4096) {
        std::string().swap(text_);
        decltype(spans_)().swap(spans_);
    }
    text_.clear();
    spans_.clear();
}

void ProcessListModel::append(std::string_view text) {
    const int row = static_cast<int>(spans_.size());
    if (!rebuilding_)
        beginInsertRows(QModelIndex(), row, row);
    spans_.emplace_back(static_cast<std::uint32_t>(text_.size()), static_cast<std::uint32_t>(text.size()));
    text_.append(text);
    if (!rebuilding_)
        endInsertRows();
}

void ProcessListModel::endRebuild() {
    if (!rebuilding_)
        return;
    rebuilding_ = false;
    endResetModel();
}

void ProcessListModel::replace(int row, std::string_view text) {
    if (row < 0 || row >= static_cast<int>(spans_.size()))
        return;
    auto& span = spans_[static_cast<std::size_t>(row)];
    if (text.size() <= span.second) {
        text_.replace(span.first, text.size(), text); // the rest of the old span is left unused
    } else {
        span.first = static_cast<std::uint32_t>(text_.size()); // the old span stays unused until the next rebuild
        text_.append(text);
    }
    span.second = static_cast<std::uint32_t>(text.size());
    if (!rebuilding_)
        emit dataChanged(index(row), index(row), {Qt::DisplayRole});
}

QString ProcessListModel::text(int row) const {
    if (row < 0 || row >= static_cast<int>(spans_.size()))
        return {};
    const auto& [offset, length] = spans_[static_cast<std::size_t>(row)];
    return QString::fromUtf8(text_.data() + offset, static_cast<qsizetype>(length));
}

int ProcessListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(spans_.size());
}

QVariant ProcessListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return text(index.row());
}

} // namespace kelvora
