#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

class QWidget;

namespace app {

// One running program per desktop session. The first start takes a name on the session bus; a
// later start asks the running one to bring its window to the front, and ends. Without a session
// bus, or when the running one does not answer, every start runs: the catalogues' save rules keep
// two copies from writing over each other's stations.
class SingleInstance final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
 public:
  explicit SingleInstance(QObject* parent = nullptr);

  // True when this start is to run; false when the running program took over.
  bool claim();

 public Q_SLOTS:
  // Called over the bus by a later start; `platformData` may carry its desktop activation token.
  void Activate(const QVariantMap& platformData);

 Q_SIGNALS:
  void activationRequested();
};

// The name the running program holds on the session bus: one per display, since two logins of
// one user can share a bus.
QString instanceBusName();

// Brings `window` to the front, restored, whenever `instance` is asked to.
void raiseOnActivation(SingleInstance& instance, QWidget* window);

}  // namespace app
