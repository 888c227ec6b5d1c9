#include "process/qt/ProcessListModel.h"

#include <algorithm>
#include <functional>

namespace kelvora {

namespace {

constexpr std::uint32_t kEmptySlot = 0xFFFFFFFFu;
constexpr std::size_t kFirstSlots = 64;

template <typename T> void emptyKeepingRoom(std::vector<T>& items, std::size_t used) {
    // Kept for the next rebuild, which is about as long, unless the list has shrunk a lot.
    if (items.capacity() > 2 * used + 1024)
        std::vector<T>().swap(items);
    items.clear();
}

} // namespace

ProcessListModel::ProcessListModel(QObject* parent) : QAbstractListModel(parent) {}

void ProcessListModel::beginRebuild() {
    if (rebuilding_)
        return;
    rebuilding_ = true;
    beginResetModel();
    if (text_.capacity() > 2 * text_.size() + 4096)
        std::string().swap(text_);
    text_.clear();
    emptyKeepingRoom(spans_, spans_.size());
    emptyKeepingRoom(rows_, rows_.size());
    slots_.clear();
}

void ProcessListModel::append(std::string_view text) {
    const int row = static_cast<int>(rows_.size());
    if (!rebuilding_)
        beginInsertRows(QModelIndex(), row, row);
    rows_.push_back(intern(text));
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
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    // A text no row uses any more stays until the next rebuild.
    rows_[static_cast<std::size_t>(row)] = intern(text);
    if (!rebuilding_)
        emit dataChanged(index(row), index(row), {Qt::DisplayRole});
}

std::string_view ProcessListModel::distinct(std::uint32_t index) const {
    const auto& [offset, length] = spans_[index];
    return std::string_view(text_).substr(offset, length);
}

void ProcessListModel::rehash(std::size_t slotCount) {
    slots_.assign(slotCount, kEmptySlot);
    const std::size_t mask = slotCount - 1;
    for (std::uint32_t index = 0; index < spans_.size(); ++index) {
        std::size_t slot = std::hash<std::string_view>{}(distinct(index)) & mask;
        while (slots_[slot] != kEmptySlot)
            slot = (slot + 1) & mask;
        slots_[slot] = index;
    }
}

std::uint32_t ProcessListModel::intern(std::string_view text) {
    // At most half full, so a probe soon meets an empty slot.
    if (2 * (spans_.size() + 1) > slots_.size())
        rehash(std::max(kFirstSlots, 2 * slots_.size()));
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = std::hash<std::string_view>{}(text) & mask;; slot = (slot + 1) & mask) {
        if (slots_[slot] == kEmptySlot) {
            const auto index = static_cast<std::uint32_t>(spans_.size());
            spans_.emplace_back(static_cast<std::uint32_t>(text_.size()), static_cast<std::uint32_t>(text.size()));
            text_.append(text);
            slots_[slot] = index;
            return index;
        }
        if (distinct(slots_[slot]) == text)
            return slots_[slot];
    }
}

QString ProcessListModel::text(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return {};
    const std::string_view rowText = distinct(rows_[static_cast<std::size_t>(row)]);
    return QString::fromUtf8(rowText.data(), static_cast<qsizetype>(rowText.size()));
}

int ProcessListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant ProcessListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return text(index.row());
}

} // namespace kelvora
