// TSWbemLocator: the wrapper around the platform's WMI scripting locator
// (SWbemLocator). It obtains the locator on first use and forwards
// ConnectServer to it.
#pragma once

#include <cstdint>
#include <memory>

#include "wmi/ole_server.h"
#include "wmi/wbem.h"

namespace wmi {

class TSWbemLocator : public TOleServer {
 public:
  // Create: a disconnected wrapper, freed with `AOwner` when one is given.
  explicit TSWbemLocator(TComponent* AOwner, ComRuntime& runtime);
  // Destroy: disconnects and frees the wrapper.
  ~TSWbemLocator() override;

  // The held locator, connecting first if none is held. Raises what Connect
  // raises, or EAssertionFailed ("DefaultInterface is NULL. ...
  // (WbemScripting_TLB, line 2795)") when connecting left none.
  std::shared_ptr<ISWbemLocator> DefaultInterface();

  // Obtains the locator (GetServer) if none is held. Raises EIntfCastError
  // when the server object does not offer ISWbemLocator; an empty server
  // object leaves the wrapper disconnected.
  void Connect() override;
  // Releases the held locator, if any.
  void Disconnect() override;
  // Disconnect, then hold `svrIntf`.
  void ConnectTo(std::shared_ptr<ISWbemLocator> svrIntf);

  // ISWbemLocator.ConnectServer of DefaultInterface with the eight arguments
  // unchanged (empty text stands for a null BSTR). Returns the services
  // object; raises EOleException when the call fails (or gives no object).
  std::shared_ptr<ISWbemServices> ConnectServer(const Text& strServer, const Text& strNamespace, const Text& strUser,
                                                const Text& strPassword, const Text& strLocale,
                                                const Text& strAuthority, std::int32_t iSecurityFlags,
                                                const std::shared_ptr<IUnknownObject>& objWbemNamedValueSet);

  // The Security_ of DefaultInterface. Raises what DefaultInterface raises,
  // or EOleException when the call fails (or gives no object).
  std::shared_ptr<ISWbemSecurity> Security_();

  // The shared identifiers and live count of every TSWbemLocator.
  static TServerData& LocatorServerData();

 protected:
  void InitServerData() override;

 private:
  std::shared_ptr<ISWbemLocator> FIntf;
};

}  // namespace wmi
