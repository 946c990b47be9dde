# `make package` (scripts/make-packages): the Debian packages, made by CPack's DEB generator from
# the install rules. A whole build packs the desktop program as `battle`; a build of the lab alone
# (BATTLE_LAB_ONLY, no graphics library, X11 or giflib) packs `battle-lab`. Each package holds the
# components listed here, under /usr, with its dependencies worked out by dpkg-shlibdeps.
#
# Debian's games policy puts a game's program in /usr/games and its man page in section 6;
# `make install` keeps bin/, which is on a user's PATH under any prefix (~/.local/bin).
set(BATTLE_PACKAGE_MAINTAINER "The battle developers <developers@battle.example.org>"
    CACHE STRING "The Maintainer field of the Debian packages")

if(BATTLE_LAB_ONLY)
  set(package battle-lab)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "seeded battles without a screen, with statistics and charts")
  set(description
      "battle-lab plays many seeded battles of the program battle without a screen"
      "and says how battles of given army sizes tend to go: who wins how often, with"
      "95% Wilson intervals, how long a battle lasts and what is left of each side."
      "It writes one JSON line per battle, sweeps one or two army sizes over a grid,"
      "and splits a study into shards for many machines (with GNU parallel) whose"
      "lines sum up exactly as one run would."
      "."
      "Charts are drawn by gnuplot when it is installed. This package needs neither"
      "a display, X11 nor a graphics library, so it suits servers.")
  # The lab plays and sums up without gnuplot; only --plot needs it.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnuplot-nox | gnuplot")
  set(CPACK_COMPONENTS_ALL lab lab-doc)
  set(doc_component lab-doc)
else()
  set(package battle)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-playing battle of two armies on a hilly field")
  set(description
      "Two computer-controlled armies, red and blue, fight on a field of random"
      "hills: riflemen, snipers and tanks march on the enemy base, climb to high"
      "ground and fight whoever comes within range, with fresh troops every so"
      "often, until a base falls. Nobody plays: you watch."
      "."
      "Every battle has a seed, so any battle can be watched again, and six numbers"
      "set the size of the armies. The battle can be paused, sped up or slowed down,"
      "played as an endless show, or written to an animated GIF without a display.")
  set(CPACK_COMPONENTS_ALL desktop desktop-games desktop-doc)
  set(doc_component desktop-doc)
  install(TARGETS battle RUNTIME DESTINATION games COMPONENT desktop-games EXCLUDE_FROM_ALL)
endif()

# The copyright file and, for a package without a Debian revision, the changelog; the release and
# its date are the software centre's (data/*.metainfo.xml).
file(GLOB metainfo ${CMAKE_CURRENT_SOURCE_DIR}/data/*.metainfo.xml)
file(STRINGS ${metainfo} release REGEX "<release version=\"${PROJECT_VERSION}\" date=\"[0-9-]+\"")
set(release_date "")
if(release MATCHES "date=\"([0-9]+-[0-9]+-[0-9]+)\"")
  execute_process(COMMAND date -u -R -d "${CMAKE_MATCH_1} 12:00" OUTPUT_VARIABLE release_date
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
install(FILES data/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${doc_component}
        EXCLUDE_FROM_ALL)
if(release_date)
  set(changelog ${CMAKE_CURRENT_BINARY_DIR}/package-doc/changelog)
  file(WRITE ${changelog}
       "${package} (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
       "  * Release ${PROJECT_VERSION}.\n\n"
       " -- ${BATTLE_PACKAGE_MAINTAINER}  ${release_date}\n")
  execute_process(COMMAND gzip -9nf ${changelog} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot compress the packages' changelog: ${failed}")
  endif()
  install(FILES ${changelog}.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${doc_component}
          EXCLUDE_FROM_ALL)
else()
  message(WARNING "${metainfo} has no release ${PROJECT_VERSION} with its date: make package refuses until it has one")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${package})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME ${package})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BATTLE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The lines above (none with a semicolon) below the summary, which CPack puts first.
string(REPLACE ";" "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${description}")
include(CPack)
