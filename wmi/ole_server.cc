#include "wmi/ole_server.h"

#include <algorithm>

#include "wmi/ole_error.h"

namespace wmi {

TComponent::TComponent(TComponent* AOwner) : owner_(AOwner) {
  if (owner_ != nullptr) owner_->owned_.push_back(this);
}

TComponent::~TComponent() {
  while (!owned_.empty()) {
    TComponent* child = owned_.back();
    owned_.pop_back();
    child->owner_ = nullptr;
    delete child;
  }
  if (owner_ != nullptr) {
    auto& siblings = owner_->owned_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

TOleServer::TOleServer(TComponent* AOwner, ComRuntime& runtime) : TComponent(AOwner), runtime_(runtime) {}

TOleServer::~TOleServer() {
  if (FEventDispatch) FEventDispatch->Detach();
  FEventDispatch.reset();
  if (counted_) --FServerData->InstanceCount;
}

void TOleServer::InitializeServer() {
  InitServerData();
  ++FServerData->InstanceCount;
  counted_ = true;
  FEventDispatch = std::make_unique<TServerEventDispatch>(this);
}

TConnectKind TOleServer::ConnectKind() const {
  return FRemoteMachineName.empty() ? FConnectKind : TConnectKind::ckRemote;
}

std::shared_ptr<IUnknownObject> TOleServer::GetServer() {
  std::shared_ptr<IUnknownObject> server;
  if (Succeeded(runtime_.GetActiveObject(FServerData->ClassID, &server))) return server;
  server.reset();
  const HRESULT hr = runtime_.CoCreateInstance(FServerData->ClassID, kCLSCTX_INPROC_SERVER | kCLSCTX_LOCAL_SERVER,
                                               kIID_IUnknown, &server);
  if (Failed(hr)) {
    throw EOleException(OleSystemErrorText(runtime_, hr) + u", ClassID: " + GuidText(FServerData->ClassID), hr);
  }
  return server;
}

void TOleServer::InvokeEvent(std::int32_t, std::vector<Variant>&) {}

}  // namespace wmi
