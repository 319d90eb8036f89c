// The game folder: copies of the programs (renewed only when the package
// brings others), the game's folders, and an edited riddle collection kept.
'use strict'

const assert = require('node:assert/strict')
const fs = require('node:fs')
const os = require('node:os')
const path = require('node:path')
const { test } = require('node:test')
const { bundledFiles, prepareGameFolder } = require('../../lib/game-folder')

function scratch(t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zorvane-folder-'))
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }))
  return dir
}

test('the game folder gets copies that are renewed only when they differ', (t) => {
  const dir = scratch(t)
  const bundled = bundledFiles('linux', 'x64', path.join(dir, 'package'))
  fs.mkdirSync(path.dirname(bundled.host), { recursive: true })
  for (const [file, text] of [[bundled.host, 'host 1'], [bundled.module, 'module 1'],
    [bundled.riddles, 'riddles 1']]) fs.writeFileSync(file, text)
  const folder = path.join(dir, 'data', 'zorvane')

  const files = prepareGameFolder(folder, bundled)
  for (const sub of ['Zorva', 'config']) assert.ok(fs.statSync(path.join(folder, sub)).isDirectory())
  assert.equal(fs.readFileSync(files.host, 'utf8'), 'host 1')
  assert.ok(!fs.lstatSync(files.host).isSymbolicLink())
  assert.equal(fs.statSync(files.host).mode & 0o111, 0o111, 'the host can run')
  const inode = fs.statSync(files.module).ino

  fs.writeFileSync(bundled.host, 'host 2')
  fs.writeFileSync(bundled.riddles, 'riddles 2')
  fs.writeFileSync(files.riddles, 'riddles edited in the console')
  prepareGameFolder(folder, bundled)
  assert.equal(fs.readFileSync(files.host, 'utf8'), 'host 2')
  assert.equal(fs.statSync(files.module).ino, inode, 'an unchanged module is left as it is')
  assert.equal(fs.readFileSync(files.riddles, 'utf8'), 'riddles edited in the console')
  assert.deepEqual(fs.readdirSync(folder).filter((name) => name.endsWith('.tmp')), [])
})

test('which machines have bundled programs', () => {
  const cases = [['linux', 'x64', 'zorvane-host'], ['win32', 'x64', 'zorvane-host.exe'],
    ['win32', 'ia32', 'zorvane-host.exe'], ['linux', 'arm64', null], ['darwin', 'x64', null]]
  for (const [platform, arch, host] of cases) {
    const files = bundledFiles(platform, arch)
    assert.equal(files && path.basename(files.host), host, `${platform}-${arch}`)
  }
})
