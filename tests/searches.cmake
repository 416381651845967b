# The emptiness test, the root list and the folder view against the literal searches
# (test_searches). A fixture first makes, from the Unix side, a world of names and stamps that
# Windows programs cannot make.
set(QUENBY_UNIX_WORLD ${CMAKE_CURRENT_BINARY_DIR}/unix-world.tmp)
string(REPLACE "/" "\\\\" QUENBY_UNIX_WORLD_WIN "Z:${QUENBY_UNIX_WORLD}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/make_unix_world.sh [=[
set -e
rm -rf "$1"
mkdir -p "$1"
cd "$1"
old() { touch -d 1975-01-01 "$@"; }
# Two names that differ only in case, the old one in either case.
mkdir case caseold
touch case/A.TXT; old case/a.txt
old caseold/A.TXT; touch caseold/a.txt
# Names with wildcards, separators and other characters Windows names cannot hold.
mkdir star starold backslash colon pipe
touch 'star/st*r.txt'
old 'starold/st*r.txt'; touch starold/stxr.txt
old 'backslash/back\slash.txt'; mkdir backslash/back; touch backslash/back/slash.txt
touch 'colon/col:on.txt'
touch 'pipe/pipe|.txt'
# Links: dangling, to a file, to a folder.
mkdir dangling links
ln -s nowhere dangling/gone.txt
ln -s ../case/A.TXT links/file.txt
mkdir links/real
ln -s real links/dir.txt
# Stamps past 2107 and before 1980; hidden names; devices in upper case; 8.3 names in either case.
mkdir future past hidden device lower upper accent
touch -d 2200-01-01 future/f.txt
touch -d 1970-01-02 past/p.txt
mkdir hidden/.dir; touch hidden/.file.txt
touch device/NUL device/COM9.TXT
touch lower/readme.txt
touch upper/README.TXT
touch "accent/$(printf '\304\211')x.txt"
old accent/cx.txt
]=])
add_test(NAME searches_unix_world
  COMMAND sh ${CMAKE_CURRENT_BINARY_DIR}/make_unix_world.sh ${QUENBY_UNIX_WORLD})
set_tests_properties(searches_unix_world PROPERTIES FIXTURES_SETUP quenby_unix_world)

quenby_add_test(test_searches test_searches.cpp SearchWorld.cpp)
target_link_libraries(test_searches PRIVATE quenby_units)
target_compile_definitions(test_searches PRIVATE QUENBY_UNIX_WORLD="${QUENBY_UNIX_WORLD_WIN}")
set_tests_properties(test_searches PROPERTIES FIXTURES_REQUIRED quenby_unix_world)
