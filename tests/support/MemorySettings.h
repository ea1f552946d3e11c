#pragma once

#include <QHash>

#include "widgets/SettingsStore.h"

namespace vesk::test {

/// Settings that live as long as the test, so that no test reads or writes the real ones.
class MemorySettings : public gui::SettingsStore {
  public:
    QString value(const QString& key) const override { return m_values.value(key); }
    void setValue(const QString& key, const QString& value) override { m_values[key] = value; }

  private:
    QHash<QString, QString> m_values;
};

}  // namespace vesk::test
