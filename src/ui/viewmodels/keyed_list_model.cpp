#include "ui/viewmodels/keyed_list_model.hpp"

#include <QSet>
#include <algorithm>

namespace orvane {

KeyedListModel::KeyedListModel(QList<QByteArray> roles, QObject* parent)
    : QAbstractListModel(parent), roles_(std::move(roles)) {}

int KeyedListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant KeyedListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= count()) return {};
  const int column = role - roleBase();
  const Row& r = rows_[static_cast<std::size_t>(index.row())];
  if (column < 0 || column >= r.size()) return {};
  return r.at(column);
}

QHash<int, QByteArray> KeyedListModel::roleNames() const {
  QHash<int, QByteArray> names;
  for (int i = 0; i < roles_.size(); ++i) names.insert(roleBase() + i, roles_.at(i));
  return names;
}

QVariant KeyedListModel::value(const QVariant& key, const QByteArray& role) const {
  const int column = static_cast<int>(roles_.indexOf(role));
  if (column < 0) return {};
  for (const Row& r : rows_) {
    if (!r.isEmpty() && r.first() == key && column < r.size()) return r.at(column);
  }
  return {};
}

void KeyedListModel::removeVanished(const std::vector<Row>& rows) {
  QSet<QString> keep;
  for (const Row& r : rows) keep.insert(r.value(0).toString());
  // From the end, a run of neighbouring rows at a time.
  int last = count() - 1;
  while (last >= 0) {
    if (keep.contains(rows_[static_cast<std::size_t>(last)].value(0).toString())) {
      --last;
      continue;
    }
    int first = last;
    while (first > 0 && !keep.contains(rows_[static_cast<std::size_t>(first - 1)].value(0).toString())) --first;
    beginRemoveRows(QModelIndex(), first, last);
    rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
    endRemoveRows();
    last = first - 1;
  }
}

void KeyedListModel::update(std::vector<Row> rows) {
  const int before = count();
  removeVanished(rows);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const QVariant key = rows[i].value(0);
    const int at = static_cast<int>(i);
    if (i < rows_.size() && rows_[i].value(0) == key) {
      if (rows_[i] != rows[i]) {
        rows_[i] = std::move(rows[i]);
        emit dataChanged(index(at), index(at));
      }
      continue;
    }
    auto found = std::find_if(rows_.begin() + static_cast<std::ptrdiff_t>(std::min(i, rows_.size())), rows_.end(),
                              [&](const Row& r) { return r.value(0) == key; });
    if (found == rows_.end()) {
      beginInsertRows(QModelIndex(), at, at);
      rows_.insert(rows_.begin() + at, std::move(rows[i]));
      endInsertRows();
      continue;
    }
    const int from = static_cast<int>(found - rows_.begin());
    // Moving a row down to `at` names the destination before which it lands.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), at);
    Row moved = std::move(*found);
    rows_.erase(found);
    rows_.insert(rows_.begin() + at, std::move(moved));
    endMoveRows();
    if (rows_[i] != rows[i]) {
      rows_[i] = std::move(rows[i]);
      emit dataChanged(index(at), index(at));
    }
  }
  // Rows whose key came twice in the old list are left over at the end.
  if (rows_.size() > rows.size()) {
    beginRemoveRows(QModelIndex(), static_cast<int>(rows.size()), count() - 1);
    rows_.resize(rows.size());
    endRemoveRows();
  }
  if (count() != before) emit countChanged();
}

}  // namespace orvane
