#include "app/DefaultsBinding.h"

#include "app/UserDefaults.h"

#include <QCheckBox>
#include <QPointer>
#include <QSignalBlocker>

namespace veltrona {

namespace {

void bindOne(QCheckBox* box, UserDefaults& defaults)
{
    const std::string valueKey = box->property("defaultsKey").toString().toStdString();
    const std::string enabledKey = box->property("enabledByDefaultsKey").toString().toStdString();

    QPointer<QCheckBox> guarded(box);
    auto refresh = [guarded, valueKey, enabledKey, &defaults] {
        if (!guarded)
            return;
        const QSignalBlocker blocker(guarded.data());
        guarded->setChecked(defaults.integerForKey(valueKey) != 0);
        if (!enabledKey.empty())
            guarded->setEnabled(defaults.integerForKey(enabledKey) != 0);
    };
    refresh();
    defaults.addObserver([refresh, valueKey, enabledKey](const std::string& key) {
        if (key == valueKey || key == enabledKey)
            refresh();
    });
    QObject::connect(box, &QCheckBox::toggled, box,
                     [valueKey, &defaults](bool checked) { defaults.setStringForKey(valueKey, checked ? "1" : "0"); });
}

} // namespace

void bindCheckBoxesToDefaults(QWidget* root, UserDefaults& defaults)
{
    const auto boxes = root->findChildren<QCheckBox*>();
    for (QCheckBox* box : boxes) {
        if (!box->property("defaultsKey").toString().isEmpty())
            bindOne(box, defaults);
    }
}

} // namespace veltrona
