local t = {1, 2.5, "three", x = {y = true}}
function update(dt) t[1] = t[1] + dt return #t, t.x.y end
for i, v in ipairs(t) do t[i] = tostring(v) .. "!" end
