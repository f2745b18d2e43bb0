#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>
#include <QVariantList>
#include <vector>

namespace orvane {

// A list for QML's list views whose rows each carry a key (their first value). Handed a
// new list, it tells the views only what changed — rows inserted, removed, moved or
// edited — so that a list of hundreds keeps its scroll position, its delegates and
// what the user was typing into one of them.
class KeyedListModel final : public QAbstractListModel {
  Q_OBJECT
  Q_PROPERTY(int count READ count NOTIFY countChanged)

 public:
  using Row = QVariantList;  // one value per role, in the order of the role names

  // `roles` name the values of a row; the first is the key.
  explicit KeyedListModel(QList<QByteArray> roles, QObject* parent = nullptr);

  void update(std::vector<Row> rows);

  int count() const { return static_cast<int>(rows_.size()); }
  const Row& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
  // The value of `role` in the row keyed `key`; invalid when there is no such row.
  QVariant value(const QVariant& key, const QByteArray& role) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QHash<int, QByteArray> roleNames() const override;

 signals:
  void countChanged();

 private:
  int roleBase() const { return Qt::UserRole + 1; }
  void removeVanished(const std::vector<Row>& rows);

  QList<QByteArray> roles_;
  std::vector<Row> rows_;
};

}  // namespace orvane
