#pragma once
// The Windows automation link: the running-object look-up by ProgID through COM.
namespace qarn::cad::com {

// From now on ProgIDs the process's own table does not know are asked of the system:
// CLSIDFromProgID, then GetActiveObject. The thread must be in a single-threaded apartment.
void installComRunningObjects();

}  // namespace qarn::cad::com
