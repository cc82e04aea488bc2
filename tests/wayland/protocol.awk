# Checks the WAYLAND_DEBUG=client log of the program's one window; prints
# each fault on a line of its own and exits 1 when there is any.
#   awk -v scale=S -v chosen=WxH -v count=C -f protocol.awk LOG
# scale: the only buffer scale the window's surface may get (0: any).
# chosen: the content size the program picks when the compositor leaves it
# the choice. count: 1 to check that no more buffers were attached than the
# compositor configured sizes, as when the log ends at the first idle.
# Always: of the buffers the compositor has let go of, the program keeps only
# those of the size it shows.
BEGIN { bufferScale = 1 }
function fault(text) { print "FAIL: " text; bad = 1 }
function arg(i, a) { split(args, a, ", "); return a[i] }
function id(text) { sub(/.* /, "", text); return text }
match($0, /[a-z_0-9]+@[0-9]+\.[a-z_]+\(/) {
  split(substr($0, RSTART, RLENGTH - 1), call, ".")
  object = call[1]; message = call[2]
  args = substr($0, RSTART + RLENGTH); sub(/\)$/, "", args)
  if (message == "get_xdg_surface") { xdg = id(arg(1)); surface = arg(2) }
  else if (object == xdg && message == "get_toplevel") toplevel = id(arg(1))
  else if (object == toplevel && message == "set_title") title = args
  else if (object == toplevel && message == "configure" && arg(1) arg(2) != "00") pending = arg(1) "x" arg(2)
  else if (object == xdg && message == "ack_configure") {
    size = pending != "" ? pending : size != "" ? size : chosen
    pending = ""; sizes[size] = 1
  } else if (message == "create_buffer") { dims[id(arg(1))] = arg(3) "x" arg(4); busy[id(arg(1))] = 0 }
  else if (object ~ /^wl_buffer@/ && message == "release") busy[object] = 0
  else if (object ~ /^wl_buffer@/ && message == "destroy") {
    if (busy[object] && surface != "") fault("destroyed " object " while the compositor held it")
    delete mine[object]
  } else if (object == surface && message == "destroy") { surface = ""; for (b in busy) busy[b] = 0 }
  else if (object == surface && message == "set_buffer_scale") {
    bufferScale = arg(1)
    if (scale && bufferScale != scale) fault("buffer scale " bufferScale " at output scale " scale)
  } else if (object == surface && message == "attach" && arg(1) != "nil") {
    buffer = arg(1); attached++; shown = dims[buffer]; mine[buffer] = 1
    if (busy[buffer]) fault("attached " buffer " again before the compositor released it")
    busy[buffer] = 1
    split(size, s, "x")
    want = s[1] * bufferScale "x" s[2] * bufferScale
    if (dims[buffer] != want) fault("a " dims[buffer] " buffer for " size " at scale " bufferScale)
  }
}
END {
  if (title != "\"Mandelbrot's Set\"") fault("title " title)
  configured = 0
  for (k in sizes) configured++
  if (attached == 0) fault("no buffer attached")
  for (b in mine) if (!busy[b] && dims[b] != shown) fault("kept " b ", " dims[b] ", free, showing " shown)
  if (count && attached > configured) fault(attached " buffers attached for " configured " configured sizes")
  exit bad
}
