; The peer installer of the benchmark: the same nine files into the same
; fixed folder, with the same licence text on a page whose button starts the
; installation, written the plain way an NSIS author would. makensis defines:
;   COMPRESSION  off | zlib | lzma   (stored; zlib per file; solid LZMA)
;   MEMBERS      folder holding the nine files cut from the built setup
;   INPUTS       folder of bench_nsis_inputs: licence.txt (the wizard's
;                agreement) and facts.nsh (INSTALL_DIR, the fixed folder)
;   OUTPUT       the setup file to write
Unicode true
!include "${INPUTS}/facts.nsh"

!if "${COMPRESSION}" == "off"
  SetCompress off
!else if "${COMPRESSION}" == "zlib"
  SetCompressor zlib
!else if "${COMPRESSION}" == "lzma"
  SetCompressor /SOLID lzma
!else
  !error "COMPRESSION must be off, zlib or lzma"
!endif

Name "VelkorCrypt"
OutFile "${OUTPUT}"
InstallDir "${INSTALL_DIR}"
RequestExecutionLevel admin
XPStyle on
; The defaults, said aloud: the installer checks its own CRC at start, and it
; stays on its finished page until the user closes it.
CRCCheck on
AutoCloseWindow false

LicenseData "${INPUTS}/licence.txt"
LicenseText "" "$(^InstallBtn)"
Page license
Page instfiles

; The folder holds exactly the nine members (the script that cuts them
; checks that), so a wildcard names them without repeating the member table.
Section
  SetOutPath "$INSTDIR"
  File "${MEMBERS}/*"
SectionEnd
