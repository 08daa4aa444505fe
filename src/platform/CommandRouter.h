#pragma once
// Numbered commands as QActions, one per command id, shared by menus, toolbar and
// accelerators. A command goes to the first target of the chain (active view, document,
// main frame, application) that handles it. Whether it is enabled is decided by the first
// target with a rule for it; without a rule it is enabled when some target handles it.

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QAction;

namespace fv {

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // Runs the command; false when this target has no handler for it.
    virtual bool runCommand(int id) = 0;
    virtual bool handlesCommand(int id) const = 0;
    // The target's enable rule for the command, if it has one.
    virtual std::optional<bool> commandEnabled(int /*id*/) const { return std::nullopt; }
    // Check mark, for commands that toggle a mode.
    virtual std::optional<bool> commandChecked(int /*id*/) const { return std::nullopt; }
};

class CommandRouter : public QObject {
    Q_OBJECT
public:
    explicit CommandRouter(QObject* parent = nullptr);

    // The action of a command, created on first request.
    QAction* action(int id, const QString& text = {});
    void setChain(std::function<std::vector<CommandTarget*>()> chain) { chain_ = std::move(chain); }

    // Runs a command through the chain, then re-queries every state.
    void run(int id);
    bool isEnabled(int id) const;
    void refresh();

Q_SIGNALS:
    void commandRan(int id);

private:
    std::function<std::vector<CommandTarget*>()> chain_;
    std::map<int, QAction*> actions_;
};

}  // namespace fv
