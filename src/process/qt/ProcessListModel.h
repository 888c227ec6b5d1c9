#pragma once

#include <QAbstractListModel>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvora {

// The process list's rows as one run of UTF-8 text, each row a span of it: thousands of processes cost little more
// than their text, and a row becomes a QString only while the list shows or reads it.
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
    std::string text_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans_; // offset and length of each row
    bool rebuilding_ = false;
};

} // namespace kelvora
