# Sourced by the scripts that configure a tree as a machine without the benchmarks' peers would see it
# (tools/test for the test tree, tools/build-without-peers for a user's build): the library, its modules,
# programs and tests need none of them.
#   hide_peers DIR        a pkg-config path in DIR without the peers' .pc files (exported), and the CMake
#                         switches that disable their packages in the array no_peers_args
#   check_no_peers FILE   fails when a rule of the build file FILE names a peer's library
peers_cmake=(benchmark OpenSceneGraph meshoptimizer OpenSubdiv Lua Irrlicht)
peers_pc='^(openscenegraph.*|imgui|glu|pixman-1|lua.*|benchmark.*|meshoptimizer|opensubdiv|irrlicht)\.pc$'
peers_rule='osdCPU|Irrlicht|libbenchmark|meshoptimizer|libosg[A-Za-z]*|pixman|lua5[.0-9]*|imgui|libGLU'

hide_peers() {
  local pc="$1" d f name pc_dirs
  rm -rf "$pc" && mkdir -p "$pc"
  IFS=: read -r -a pc_dirs <<<"$(pkg-config --variable pc_path pkg-config)"
  for d in "${pc_dirs[@]}"; do
    [ -d "$d" ] || continue
    for f in "$d"/*.pc; do
      [ -e "$f" ] || continue
      name="$(basename "$f")"
      [[ "$name" =~ $peers_pc ]] && continue
      [ -e "$pc/$name" ] || ln -s "$f" "$pc/$name"
    done
  done
  export PKG_CONFIG_LIBDIR="$pc" PKG_CONFIG_PATH=""
  no_peers_args=(--no-warn-unused-cli -DPM_BUILD_BENCHMARKS=OFF)
  for name in "${peers_cmake[@]}"; do no_peers_args+=(-DCMAKE_DISABLE_FIND_PACKAGE_"$name"=ON); done
}

check_no_peers() {
  if grep -Eiq "$peers_rule" "$1"; then
    echo "a build rule of $1 names a benchmark peer:" >&2
    grep -Eio "$peers_rule" "$1" | sort -u >&2
    return 1
  fi
}
