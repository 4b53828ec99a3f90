// Everything a program needs to use the file library Hollin0106.
#pragma once

#include <Hollin0106/AutomationError.h>
#include <Hollin0106/CodePages.h>
#include <Hollin0106/Collection.h>
#include <Hollin0106/NtfsImage.h>
#include <Hollin0106/ReparseHeader.h>
#include <Hollin0106/Variant.h>
#include <Hollin0106/qvxDescriptIon.h>
#include <Hollin0106/qvxFSO.h>
#include <Hollin0106/qvxFileStreams.h>
#include <Hollin0106/qvxFileVersion.h>
#include <Hollin0106/qvxFoundedFiles.h>
#include <Hollin0106/qvxTypes.h>
