#include "wmi/wbem_scripting_tlb.h"

#include <utility>

#include "wmi/ole_error.h"

namespace wmi {

TServerData& TSWbemLocator::LocatorServerData() {
  static TServerData data = {kCLSID_SWbemLocator, kIID_ISWbemLocator, kGUID_NULL, 0};
  return data;
}

TSWbemLocator::TSWbemLocator(TComponent* AOwner, ComRuntime& runtime) : TOleServer(AOwner, runtime) {
  InitializeServer();
}

TSWbemLocator::~TSWbemLocator() { Disconnect(); }

void TSWbemLocator::InitServerData() { FServerData = &LocatorServerData(); }

void TSWbemLocator::Connect() {
  if (FIntf) return;
  std::shared_ptr<IUnknownObject> server = GetServer();
  if (!server) return;
  std::shared_ptr<ISWbemLocator> locator;
  if (Failed(QueryAs(server, &locator)) || !locator) throw EIntfCastError();
  FIntf = std::move(locator);
}

void TSWbemLocator::Disconnect() { FIntf.reset(); }

void TSWbemLocator::ConnectTo(std::shared_ptr<ISWbemLocator> svrIntf) {
  Disconnect();
  FIntf = std::move(svrIntf);
}

std::shared_ptr<ISWbemLocator> TSWbemLocator::DefaultInterface() {
  if (!FIntf) Connect();
  if (!FIntf) {
    throw EAssertionFailed(
        u"DefaultInterface is NULL. Component is not connected to Server. You must call 'Connect' or "
        u"'ConnectTo' before this operation",
        u"WbemScripting_TLB", 2795);
  }
  return FIntf;
}

std::shared_ptr<ISWbemServices> TSWbemLocator::ConnectServer(
    const Text& strServer, const Text& strNamespace, const Text& strUser, const Text& strPassword,
    const Text& strLocale, const Text& strAuthority, std::int32_t iSecurityFlags,
    const std::shared_ptr<IUnknownObject>& objWbemNamedValueSet) {
  std::shared_ptr<ISWbemServices> services;
  OleCheck(Runtime(), DefaultInterface()->ConnectServer(strServer, strNamespace, strUser, strPassword, strLocale,
                                                        strAuthority, iSecurityFlags, objWbemNamedValueSet, &services));
  if (!services) RaiseOleError(Runtime(), kE_POINTER);
  return services;
}

std::shared_ptr<ISWbemSecurity> TSWbemLocator::Security_() {
  std::shared_ptr<ISWbemSecurity> security;
  OleCheck(Runtime(), DefaultInterface()->Security_(&security));
  if (!security) RaiseOleError(Runtime(), kE_POINTER);
  return security;
}

}  // namespace wmi
