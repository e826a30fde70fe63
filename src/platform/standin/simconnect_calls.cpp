// The SimConnect functions of the stand-in: each hands its call to the
// simulated simulator.
#include "platform/standin/simworld.h"

using standin::SimWorld;

SIMCONNECTAPI SimConnect_Open(HANDLE* phSimConnect, LPCSTR szName, HWND, DWORD, HANDLE, DWORD)
{
    if (phSimConnect == nullptr) {
        return E_INVALIDARG;
    }
    return SimWorld::instance().callOpen(phSimConnect, szName);
}

SIMCONNECTAPI SimConnect_Close(HANDLE hSimConnect)
{
    return SimWorld::instance().callClose(hSimConnect);
}

SIMCONNECTAPI SimConnect_CallDispatch(HANDLE hSimConnect, DispatchProc pfcnDispatch, void* pContext)
{
    if (pfcnDispatch == nullptr) {
        return E_INVALIDARG;
    }
    return SimWorld::instance().callDispatch(hSimConnect, pfcnDispatch, pContext);
}

SIMCONNECTAPI SimConnect_SubscribeToSystemEvent(HANDLE hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                                const char* SystemEventName)
{
    return SimWorld::instance().callSubscribe(hSimConnect, EventID, SystemEventName != nullptr ? SystemEventName : "");
}

SIMCONNECTAPI SimConnect_AddToDataDefinition(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                             const char* DatumName, const char* UnitsName,
                                             SIMCONNECT_DATATYPE DatumType, float fEpsilon, DWORD DatumID)
{
    standin::DatumSpec datum{DatumName != nullptr ? DatumName : "", UnitsName != nullptr ? UnitsName : "",
                             DatumType, fEpsilon, DatumID};
    return SimWorld::instance().callAddToDefinition(hSimConnect, DefineID, datum);
}

SIMCONNECTAPI SimConnect_MapClientEventToSimEvent(HANDLE hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                                  const char* EventName)
{
    return SimWorld::instance().callMapEvent(hSimConnect, EventID, EventName != nullptr ? EventName : "");
}

SIMCONNECTAPI SimConnect_AddClientEventToNotificationGroup(HANDLE hSimConnect,
                                                           SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                           SIMCONNECT_CLIENT_EVENT_ID EventID, BOOL bMaskable)
{
    return SimWorld::instance().callAddToGroup(hSimConnect, GroupID, EventID, bMaskable);
}

SIMCONNECTAPI SimConnect_SetNotificationGroupPriority(HANDLE hSimConnect, SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                      DWORD uPriority)
{
    return SimWorld::instance().callSetGroupPriority(hSimConnect, GroupID, uPriority);
}

SIMCONNECTAPI SimConnect_RequestDataOnSimObject(HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                                SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                                SIMCONNECT_OBJECT_ID ObjectID, SIMCONNECT_PERIOD Period,
                                                SIMCONNECT_DATA_REQUEST_FLAG, DWORD, DWORD, DWORD)
{
    return SimWorld::instance().callRequestData(hSimConnect, {RequestID, DefineID, ObjectID, Period, false, 0});
}

SIMCONNECTAPI SimConnect_RequestDataOnSimObjectType(HANDLE hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                                    SIMCONNECT_DATA_DEFINITION_ID DefineID, DWORD dwRadiusMeters,
                                                    SIMCONNECT_SIMOBJECT_TYPE)
{
    return SimWorld::instance().callRequestData(
        hSimConnect, {RequestID, DefineID, 0, SIMCONNECT_PERIOD_ONCE, true, dwRadiusMeters});
}

SIMCONNECTAPI SimConnect_SetDataOnSimObject(HANDLE hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                            SIMCONNECT_OBJECT_ID ObjectID, SIMCONNECT_DATA_SET_FLAG,
                                            DWORD ArrayCount, DWORD cbUnitSize, void* pDataSet)
{
    return SimWorld::instance().callSetData(hSimConnect, DefineID, ObjectID, ArrayCount, cbUnitSize, pDataSet);
}

SIMCONNECTAPI SimConnect_TransmitClientEvent(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                             SIMCONNECT_CLIENT_EVENT_ID EventID, DWORD dwData,
                                             SIMCONNECT_NOTIFICATION_GROUP_ID GroupID, SIMCONNECT_EVENT_FLAG)
{
    return SimWorld::instance().callTransmitEvent(hSimConnect, ObjectID, EventID, dwData, GroupID);
}

SIMCONNECTAPI SimConnect_AICreateNonATCAircraft(HANDLE hSimConnect, const char* szContainerTitle,
                                                const char* szTailNumber, SIMCONNECT_DATA_INITPOSITION InitPos,
                                                SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return SimWorld::instance().callCreateAircraft(hSimConnect, szContainerTitle, szTailNumber, InitPos, RequestID);
}

SIMCONNECTAPI SimConnect_AIRemoveObject(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                        SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return SimWorld::instance().callRemoveObject(hSimConnect, ObjectID, RequestID);
}

SIMCONNECTAPI SimConnect_AIReleaseControl(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                          SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return SimWorld::instance().callReleaseControl(hSimConnect, ObjectID, RequestID);
}

SIMCONNECTAPI SimConnect_AISetAircraftFlightPlan(HANDLE hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                                 const char* szFlightPlanPath, SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return SimWorld::instance().callSetFlightPlan(hSimConnect, ObjectID, szFlightPlanPath, RequestID);
}

SIMCONNECTAPI SimConnect_GetLastSentPacketID(HANDLE hSimConnect, DWORD* pdwError)
{
    return SimWorld::instance().callLastPacketId(hSimConnect, pdwError);
}
