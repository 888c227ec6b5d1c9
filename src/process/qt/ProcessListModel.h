#pragma once

#include <QAbstractListModel>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvora {

// The process list's rows. Each distinct row text is kept once, in one run of UTF-8, and a row is the index of its
// text: thousands of processes cost four bytes each beyond their distinct texts (a machine's many processes are
// mostly copies of a few programs), and a row becomes a QString only while the list shows or reads it.
class ProcessListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ProcessListModel(QObject* parent = nullptr);

    // A rebuild: the rows are replaced at once, and views hear of it when it ends.
    void beginRebuild();
    void append(std::string_view text);
    void endRebuild();
    void replace(int row, std::string_view text);
    QString text(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    // The index of `text` among the distinct texts, added when it is new.
    std::uint32_t intern(std::string_view text);
    std::string_view distinct(std::uint32_t index) const;
    void rehash(std::size_t slotCount);

    std::string text_;                                            // the distinct texts, one after another
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans_; // offset and length of each distinct text
    std::vector<std::uint32_t> slots_;                            // open-addressed hash of the distinct texts
    std::vector<std::uint32_t> rows_;                             // the distinct text of each row
    bool rebuilding_ = false;
};

} // namespace kelvora
