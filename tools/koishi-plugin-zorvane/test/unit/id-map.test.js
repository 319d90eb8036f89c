// Platform ids as module numbers: stable across restarts, apart across
// platforms, never handed out twice.
'use strict'

const assert = require('node:assert/strict')
const fs = require('node:fs')
const os = require('node:os')
const path = require('node:path')
const { test } = require('node:test')
const { IdMap, FIRST_NUMBER } = require('../../lib/id-map')

function tempFile(t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zorvane-ids-'))
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }))
  return path.join(dir, 'data', 'ids.json')
}

test('every platform id gets a number of its own that a restart keeps', (t) => {
  const file = tempFile(t)
  const ids = new IdMap(file)
  // Ids of every shape, the same texts on two platforms.
  const guilds = [['onebot', '123456'], ['discord', '123456'], ['onebot', '-100123'], ['kook', 'a/b..']]
  const numbers = guilds.map(([platform, id]) => ids.guild(platform, id))
  const member = ids.user('onebot', '123456', 'Alice', numbers[0])
  // Guilds count apart from users: one after another, from the first number.
  assert.deepEqual(numbers.map(Number), [0, 1, 2, 3].map((n) => FIRST_NUMBER + n))
  assert.equal(member, String(FIRST_NUMBER))
  const reopened = new IdMap(file)
  assert.deepEqual(guilds.map(([platform, id]) => reopened.guild(platform, id)), numbers)
  assert.equal(reopened.user('onebot', '123456'), member)
  const newcomer = reopened.guild('telegram', '1')
  assert.ok(!numbers.includes(newcomer), 'a number is never handed out twice')
  assert.notEqual(reopened.user('telegram', '1'), member)
})

test('the standings know the names of the members met in the guild', (t) => {
  const ids = new IdMap(tempFile(t))
  const here = ids.guild('mock', 'g1')
  const there = ids.guild('mock', 'g2')
  const alice = ids.user('mock', 'a', 'Alice', here)
  const bob = ids.user('mock', 'b', 'Bob', there)
  ids.user('mock', 'a', 'Alice 2', there)
  ids.user('mock', 'c', '', here)
  assert.deepEqual(ids.namesIn(here), { [alice]: 'Alice 2' })
  assert.deepEqual(ids.namesIn(there), { [alice]: 'Alice 2', [bob]: 'Bob' })
})

test('a map that cannot be read stops the plug-in instead of starting afresh', (t) => {
  const file = tempFile(t)
  fs.mkdirSync(path.dirname(file))
  for (const text of ['{"next": {"guilds": 10005, "users": 10001}, "guilds": {}', '[]',
    '{"next": {"guilds": "x", "users": 10001}, "guilds": {}, "users": {}}',
    '{"next": 10005, "guilds": {}, "users": {}}']) {
    fs.writeFileSync(file, text)
    assert.throws(() => new IdMap(file), undefined, text)
  }
})
