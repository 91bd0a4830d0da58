// Written by tools/make-stored-texts from tools/about-texts.txt; do not edit.
#include "cipher/StoredTexts.h"

namespace lumeye::cipher {

const char* const kSysInfoKey = "Qm7!rVe2#Lu9$kYw4%";

const std::array<const char*, 4> kStoredAboutTexts = {
    "ytjUR>iYA_aG?IVElHkG@jr?TWBdqB?wV>fnyTnRvefVuxSf`<OWGpQ_ASdiDfs",
    "ngeYXRiYAzjDzCTEuHAG=oa?PX;d];GdPBeny;oR_akUqoHzaXIGS]Tp@>xyTgrsU<ZlqYfxAo^^PZb;Z==ISCMIl\\?DIiUUFr_vp]_",
    "l^mUFC]Y<\\mTgNAZaVPXpia?KzWt\\=PcLI^qybpR`ueUNtKjmXMWQgR\\K?[iOhks",
    "_dkU<N_YCdoW]NSZ_HNWIo^@wUBdtZ;dOTb^eBuATfeU[k",
};

}  // namespace lumeye::cipher
