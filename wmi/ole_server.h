// TOleServer: the base of wrappers around a COM server object. It knows how
// to obtain the server object from the COM runtime (the running object
// first, then a new instance); subclasses name the class and hold the
// interface.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/text.h"
#include "wmi/com_runtime.h"
#include "wmi/variant.h"

namespace wmi {

// A component may have an owner, which frees it when the owner is freed.
class TComponent {
 public:
  explicit TComponent(TComponent* AOwner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }

 private:
  TComponent* owner_;
  std::vector<TComponent*> owned_;  // freed, last first, with this component
};

enum class TConnectKind : std::uint8_t {
  ckRunningOrNew = 0,
  ckNewInstance = 1,
  ckRunningInstance = 2,
  ckRemote = 3,
  ckAttachToInterface = 4,
};

// The identifiers of one wrapper class, shared by all its wrappers, and the
// number of them alive.
struct TServerData {
  Guid ClassID;
  Guid IntfIID;
  Guid EventIID;
  std::int32_t InstanceCount;
};

class TOleServer;

// The sink that would receive the server's events; the wrappers of this
// system connect none, so it only knows its server.
class TServerEventDispatch {
 public:
  explicit TServerEventDispatch(TOleServer* server) : server_(server) {}
  TOleServer* Server() const { return server_; }
  void Detach() { server_ = nullptr; }

 private:
  TOleServer* server_;
};

class TOleServer : public TComponent {
 public:
  ~TOleServer() override;

  bool AutoConnect() const { return FAutoConnect; }
  const Text& RemoteMachineName() const { return FRemoteMachineName; }
  // ckRemote whenever RemoteMachineName is set, FConnectKind otherwise.
  TConnectKind ConnectKind() const;
  const TServerData* ServerData() const { return FServerData; }

  // Virtual operations, in slot order.
  // 1. Points FServerData at the subclass's record.
  virtual void InitServerData() = 0;
  // 2. The server object under ckRunningOrNew: the running object of
  //    ClassID if GetActiveObject succeeds, otherwise a new one from
  //    CoCreateInstance (in-process or local server, IUnknown). Raises
  //    EOleException "<system message>, ClassID: {...}" when it cannot be
  //    created. May give an empty object when the runtime gives one.
  virtual std::shared_ptr<IUnknownObject> GetServer();
  // 3. Delivers a server event; does nothing here.
  virtual void InvokeEvent(std::int32_t DispID, std::vector<Variant>& Params);
  // 4. Obtains and holds the server's default interface if none is held.
  virtual void Connect() = 0;
  // 5. Releases the held interface, if any.
  virtual void Disconnect() = 0;

 protected:
  TOleServer(TComponent* AOwner, ComRuntime& runtime);
  // The rest of creation, called from the subclass's constructor where the
  // virtual operations reach the subclass: sets the server data, counts the
  // new wrapper and creates the event sink.
  void InitializeServer();
  ComRuntime& Runtime() const { return runtime_; }

  TServerData* FServerData = nullptr;
  std::int32_t FRefCount = 0;
  std::unique_ptr<TServerEventDispatch> FEventDispatch;
  std::int32_t FEventsConnection = 0;
  bool FAutoConnect = false;
  Text FRemoteMachineName;
  TConnectKind FConnectKind = TConnectKind::ckRunningOrNew;

 private:
  ComRuntime& runtime_;
  bool counted_ = false;
};

}  // namespace wmi
