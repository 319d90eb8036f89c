// The game folder, <Koishi's base folder>/data/zorvane: the host program and
// the module, copied there, with the folders and files the game keeps.
//
// The module makes the folder of the program that loaded it its run folder,
// so the host must lie in the game folder itself. A symbolic link would not
// do: the program's folder is where the link points. The copies are renewed
// when the package brings other builds.
'use strict'

const fs = require('node:fs')
const path = require('node:path')

// The builds in the package: their folder and file names. The 32-bit host
// and module serve 32-bit and 64-bit Windows alike.
const LINUX = { dir: 'linux-x64', host: 'zorvane-host', module: 'zorvane.so', site: 'zorvane-site' }
const WINDOWS = { dir: 'win32', host: 'zorvane-host.exe', module: 'zorvane.dll', site: 'zorvane-site.exe' }
const BUILDS = { 'linux-x64': LINUX, 'win32-x64': WINDOWS, 'win32-ia32': WINDOWS }

// The files of the package for this machine: host, module, site, riddles;
// null where no build is bundled.
function bundledFiles(platform, arch, root = path.join(__dirname, '..', 'prebuilt')) {
  const build = BUILDS[`${platform}-${arch}`]
  if (!build) return null
  const dir = path.join(root, build.dir)
  return {
    host: path.join(dir, build.host),
    module: path.join(dir, build.module),
    site: path.join(dir, build.site),
    riddles: path.join(dir, 'riddles.tsv'),
  }
}

// Makes the game folder ready and says where its files are. The riddle
// collection is copied only once: the site's console edits the copy.
function prepareGameFolder(folder, bundled) {
  for (const sub of ['', 'Zorva', 'config']) {
    fs.mkdirSync(path.join(folder, sub), { recursive: true })
  }
  const host = path.join(folder, path.basename(bundled.host))
  const module = path.join(folder, path.basename(bundled.module))
  const riddles = path.join(folder, 'riddles.tsv')
  copyWhenDifferent(bundled.host, host, 0o755)
  copyWhenDifferent(bundled.module, module, 0o755)
  if (!fs.existsSync(riddles)) copyWhenDifferent(bundled.riddles, riddles, 0o644)
  return { folder, host, module, riddles, ids: path.join(folder, 'ids.json') }
}

// A fresh copy renamed into place, so that a program that runs from the old
// one keeps running, and an interrupted copy never leaves half a file.
function copyWhenDifferent(from, to, mode) {
  const wanted = fs.readFileSync(from)
  try {
    if (fs.readFileSync(to).equals(wanted)) return false
  } catch (error) {
    if (error.code !== 'ENOENT') throw error
  }
  const fresh = `${to}.${process.pid}.tmp`
  fs.writeFileSync(fresh, wanted, { mode })
  fs.chmodSync(fresh, mode)
  fs.renameSync(fresh, to)
  return true
}

module.exports = { bundledFiles, prepareGameFolder, copyWhenDifferent }
