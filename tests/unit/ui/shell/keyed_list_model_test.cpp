// The lists QML views read: handed a new list, the model reports the inserts, removals,
// moves and edits that turn the old rows into the new ones — never a reset — and Qt's
// model tester finds its answers consistent throughout.
#include "ui/viewmodels/keyed_list_model.hpp"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

namespace orvane {
namespace {

using Rows = std::vector<KeyedListModel::Row>;

Rows rows(std::initializer_list<std::pair<const char*, const char*>> items) {
  Rows out;
  for (const auto& [key, text] : items) out.push_back({QString::fromLatin1(key), QString::fromLatin1(text)});
  return out;
}

QStringList contents(const KeyedListModel& model) {
  QStringList out;
  for (int i = 0; i < model.count(); ++i) out << model.row(i).value(0).toString() + "=" + model.row(i).value(1).toString();
  return out;
}

QStringList contents(const Rows& list) {
  QStringList out;
  for (const auto& r : list) out << r.value(0).toString() + "=" + r.value(1).toString();
  return out;
}

TEST(KeyedListModel, EachChangeIsReportedAsTheSmallStepItIs) {
  struct Step {
    const char* what;
    Rows to;
    int inserted, removed, moved, edited;
  };
  const std::vector<Step> steps{
      {"first rows", rows({{"a", "1"}, {"b", "2"}, {"c", "3"}}), 3, 0, 0, 0},
      {"the same again", rows({{"a", "1"}, {"b", "2"}, {"c", "3"}}), 0, 0, 0, 0},
      {"a new one in front", rows({{"x", "0"}, {"a", "1"}, {"b", "2"}, {"c", "3"}}), 1, 0, 0, 0},
      {"one at the end", rows({{"x", "0"}, {"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}}), 1, 0, 0, 0},
      {"one edited", rows({{"x", "0"}, {"a", "1"}, {"b", "two"}, {"c", "3"}, {"d", "4"}}), 0, 0, 0, 1},
      {"two gone apart", rows({{"a", "1"}, {"c", "3"}, {"d", "4"}}), 0, 2, 0, 0},
      {"the last to the front", rows({{"d", "4"}, {"a", "1"}, {"c", "3"}}), 0, 0, 1, 0},
      {"moved and edited", rows({{"c", "three"}, {"d", "4"}, {"a", "1"}}), 0, 0, 1, 1},
      {"everything gone", rows({}), 0, 1, 0, 0},
  };
  KeyedListModel model({"key", "text"});
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  for (const Step& step : steps) {
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
    QSignalSpy edited(&model, &QAbstractItemModel::dataChanged);
    model.update(step.to);
    EXPECT_EQ(contents(model), contents(step.to)) << step.what;
    EXPECT_EQ(inserted.count(), step.inserted) << step.what;
    EXPECT_EQ(removed.count(), step.removed) << step.what;
    EXPECT_EQ(moved.count(), step.moved) << step.what;
    EXPECT_EQ(edited.count(), step.edited) << step.what;
  }
  EXPECT_EQ(resets.count(), 0);
}

TEST(KeyedListModel, RolesAreNamedAndReadByKey) {
  KeyedListModel model({"key", "text"});
  model.update(rows({{"a", "1"}, {"b", "2"}}));
  EXPECT_EQ(model.roleNames().values().size(), 2);
  EXPECT_EQ(model.data(model.index(1), Qt::UserRole + 2).toString(), QStringLiteral("2"));
  EXPECT_EQ(model.value(QStringLiteral("a"), "text").toString(), QStringLiteral("1"));
  EXPECT_FALSE(model.value(QStringLiteral("z"), "text").isValid());
  EXPECT_FALSE(model.value(QStringLiteral("a"), "nope").isValid());
}

TEST(KeyedListModel, ARepeatedKeyStillEndsInTheNewList) {
  KeyedListModel model({"key", "text"});
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.update(rows({{"a", "1"}, {"a", "2"}, {"b", "3"}}));
  EXPECT_EQ(contents(model), QStringList({"a=1", "a=2", "b=3"}));
  model.update(rows({{"b", "3"}, {"a", "1"}}));
  EXPECT_EQ(contents(model), QStringList({"b=3", "a=1"}));
}

}  // namespace
}  // namespace orvane
