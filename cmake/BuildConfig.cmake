# Maker endpoints and constants are build configuration. Development defaults
# point every endpoint at loopback so nothing leaves the machine.
set(PORDANE_HOST_FTP_TESSALY24   "127.0.0.11" CACHE STRING "FTP server of the Tessaly24 site (built-in server 1)")
set(PORDANE_HOST_FTP_TESSALYSIS  "127.0.0.12" CACHE STRING "Maker's main FTP server (built-in server 2, portal files)")
set(PORDANE_HOST_FTP_VEXOR       "127.0.0.13" CACHE STRING "Outside portal's FTP server (built-in server 3)")
set(PORDANE_HOST_WEB_TESSALYSIS  "127.0.0.21" CACHE STRING "Web host of the Tessalysis domain (also serves updates)")
set(PORDANE_HOST_WEB_TESSALY24   "127.0.0.22" CACHE STRING "Web host of the Tessaly24 domain")
set(PORDANE_HOST_WEB_MIREL       "127.0.0.23" CACHE STRING "Web host of the Mirel domain")
set(PORDANE_HOST_FTP_MIREL       "127.0.0.24" CACHE STRING "FTP host of the Mirel domain")
set(PORDANE_LABEL_TESSALYSIS     "Tessalysis.com" CACHE STRING "Port-test label of the Tessalysis domain")
set(PORDANE_LABEL_TESSALY24      "Tessaly24.com"  CACHE STRING "Port-test label of the Tessaly24 domain")
set(PORDANE_LABEL_MIREL          "Mirel.es"       CACHE STRING "Port-test label of the Mirel domain")
set(PORDANE_SUPPORT_IPV4         "127.0.0.31" CACHE STRING "Remote-support endpoint (IPv4 literal)")
set(PORDANE_SUPPORT_BETA_IPV4    "127.0.0.32" CACHE STRING "Beta remote-support endpoint (IPv4 literal)")
set(PORDANE_UPDATE_URL "http://127.0.0.21/actualiza/vtes2000apps/vtes_vxt.inf" CACHE STRING "Update control file address")
set(PORDANE_PORTAL_USER          "estructessis" CACHE STRING "Account for the portal connection files")
set(PORDANE_PORTAL_PASSWORD      "KTwr$7315"    CACHE STRING "Password of that account")
set(PORDANE_FACTOR_ENCRIPTACION  "7"            CACHE STRING "Scrambling factor of the portal connection files (1-9)")

if(NOT PORDANE_FACTOR_ENCRIPTACION MATCHES "^[1-9]$")
  message(FATAL_ERROR "PORDANE_FACTOR_ENCRIPTACION must be one digit from 1 to 9")
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildConfig.h.in
               ${CMAKE_BINARY_DIR}/generated/pordane/BuildConfig.h @ONLY)
add_library(pordane_buildconfig INTERFACE)
target_include_directories(pordane_buildconfig INTERFACE ${CMAKE_BINARY_DIR}/generated)
