#include "platform/CommandRouter.h"

#include <QAction>

namespace fv {

CommandRouter::CommandRouter(QObject* parent) : QObject(parent) {}

QAction* CommandRouter::action(int id, const QString& text) {
    auto it = actions_.find(id);
    if (it != actions_.end()) {
        if (!text.isEmpty() && it->second->text().isEmpty()) it->second->setText(text);
        return it->second;
    }
    auto* a = new QAction(text, this);
    a->setObjectName(QString::number(id));
    a->setData(id);
    a->setEnabled(isEnabled(id));
    connect(a, &QAction::triggered, this, [this, id] { run(id); });
    actions_[id] = a;
    return a;
}

void CommandRouter::run(int id) {
    if (!isEnabled(id)) return;  // an accelerator of a disabled command does nothing
    if (chain_)
        for (CommandTarget* t : chain_())
            if (t && t->runCommand(id)) break;
    Q_EMIT commandRan(id);
    refresh();
}

bool CommandRouter::isEnabled(int id) const {
    if (!chain_) return false;
    const auto targets = chain_();
    for (const CommandTarget* t : targets)
        if (t)
            if (auto rule = t->commandEnabled(id)) return *rule;
    for (const CommandTarget* t : targets)
        if (t && t->handlesCommand(id)) return true;
    return false;
}

void CommandRouter::refresh() {
    const auto targets = chain_ ? chain_() : std::vector<CommandTarget*>{};
    for (auto& [id, a] : actions_) {
        a->setEnabled(isEnabled(id));
        std::optional<bool> checked;
        for (const CommandTarget* t : targets)
            if (t && (checked = t->commandChecked(id))) break;
        a->setCheckable(checked.has_value());
        if (checked) a->setChecked(*checked);
    }
}

}  // namespace fv
